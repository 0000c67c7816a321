// Kept records fuzz target: each input is the best-score file and the settings file in a home of the
// fuzzer's own, read the way the game reads them at start-up (through the bounded reader, with the
// damaged-file rule). A table that reads back must write out to text that reads back the same; settings
// read from anything must write out to text that reads back the same settings without a warning.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "records/SavedState.h"

namespace {

std::string home;

void WriteRecord(const std::string& path, const uint8_t* data, size_t size)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (home.empty()) {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        home = std::string(base) + "/calcadia-fuzz-records-" + std::to_string(getpid());
        setenv("XDG_DATA_HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", home.c_str(), 1);
        std::filesystem::create_directories(home + "/calcadia");
    }
    // Whatever was set aside last time goes, so the .bad.N names never run out.
    for (const auto& entry : std::filesystem::directory_iterator(home + "/calcadia"))
        std::filesystem::remove_all(entry.path());
    WriteRecord(home + "/calcadia/best-scores", data, size);
    WriteRecord(home + "/calcadia/settings", data, size);

    TSavedStatePtr state = TSavedState::Load();
    const std::string table = state->scores.Format();
    std::string why;
    const std::optional<TBestScores> back = TBestScores::Parse(table, why);
    if (!back || back->Format() != table)
        std::abort();
    std::vector<std::string> warnings;
    if (!(TSettings::Parse(state->settings.Format(), warnings) == state->settings) || !warnings.empty())
        std::abort();
    return 0;
}
