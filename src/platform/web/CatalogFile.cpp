// CatalogFile - the one piece of the C library's gettext that emscripten leaves out. musl reads a message
// catalog by mapping its file (__map_file), which emscripten's runtime answers with -1, an address musl
// takes for a mapping and reads past the end of memory. Here the file is read from the packed data into memory
// instead, so the C library's own gettext finds, caches and looks up catalogs and applies their plural
// rules, exactly as glibc does on the desktop. Catalogs stay for the program's life, as mapped ones would.
#include "platform/sys/CatalogCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" const unsigned char* __map_file(const char* path, size_t* size)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return nullptr;
    unsigned char* bytes = nullptr;
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0 && (length = std::ftell(file)) > 0 && std::fseek(file, 0, SEEK_SET) == 0) {
        bytes = static_cast<unsigned char*>(std::malloc(size_t(length)));
        if (bytes && std::fread(bytes, 1, size_t(length), file) != size_t(length)) {
            std::free(bytes);
            bytes = nullptr;
        }
    }
    std::fclose(file);
    // musl trusts the catalog's every byte, as glibc does: a damaged one is as good as missing.
    if (bytes) {
        const std::string problem = CatalogProblem(bytes, size_t(length));
        if (!problem.empty()) {
            std::fprintf(stderr, "calcadia: the translation %s cannot be used (%s); it is left aside\n", path,
                         problem.c_str());
            std::free(bytes);
            return nullptr;
        }
        *size = size_t(length);
    }
    return bytes;
}
