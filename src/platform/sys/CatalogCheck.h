// CatalogCheck - a message catalog (.mo) looked over completely before the C library may read it: the C
// library trusts every offset, length and hash slot in the file and evaluates its plural rule as it
// stands, so a damaged catalog would crash or hang the game in any language's launch.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Empty when the bytes are a catalog the C library can read safely: the header and every offset and
// length inside the file, each string terminated, the originals in order, a hash table whose every
// lookup ends, and a plural rule that parses and evaluates (no division by zero, bounded) for every count
// the game shows. Otherwise why not, in a few words.
std::string CatalogProblem(const unsigned char* bytes, size_t size);

// Before the C library reads any catalog of domain in folder: the languages it would look in (LANGUAGE's
// list, else the messages locale's name) are narrowed to names of languages (no "..", no "/"), at most
// the first few, each standing for its first catalog that passes CatalogProblem. A catalog that does not
// is treated as missing, and standard error hears once which and why. LANGUAGE is set to what remains
// (and LC_MESSAGES to C when nothing does), so the C library never opens another file.
// True when a catalog was left aside.
bool KeepSoundCatalogs(const std::string& domain, const std::string& folder);
