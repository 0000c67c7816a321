// Message catalog fuzz target: each input is a language's catalog. It is checked as the game checks
// one; one that passes is put where the C library will read it and every message and plural of it is
// looked up for each count the game shows, so a catalog the check lets through that would crash or hang
// the C library is a finding.
#include <libintl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Language.h"
#include "platform/sys/CatalogCheck.h"

namespace {
std::string folder;
int round = 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!CatalogProblem(data, size).empty())
        return 0;
    if (folder.empty()) {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        folder = std::string(base) + "/calcadia-fuzz-catalog-" + std::to_string(getpid());
    }
    // A new folder for each input: the C library keeps a catalog it has read for the process's life.
    std::filesystem::remove_all(folder);
    const std::string place = folder + "/r" + std::to_string(++round);
    std::filesystem::create_directories(place + "/fr/LC_MESSAGES");
    std::ofstream(place + "/fr/LC_MESSAGES/fuzz.mo", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    UseLanguage("fuzz", place, "fr");
    for (const char* message : {"", "Game Over", "New best!", "Press <Space> to Continue"})
        Translate(message);
    for (long n = 0; n <= 1000; ++n)
        TranslateCount("Get %d Right", "Get %d Right", n);
    return 0;
}
