// Program entry: find the Data/ folder, then start the game and run its frame loop.
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "shell/Startup.h"

namespace {

// Started from a file manager or a menu, the working directory is rarely the game's own folder;
// Data/ lies beside the executable, so go there when it is not here.
void FindDataFolder()
{
    std::error_code error;
    if (std::filesystem::is_directory("Data", error))
        return;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || exe.parent_path().empty())
        return;
    if (chdir(exe.parent_path().c_str()) != 0)
        return;   // Nothing better to do: the missing files will be reported as they are loaded.
}

}   // namespace

int main()
{
    FindDataFolder();
    RunGame();
}
