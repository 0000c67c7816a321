// perf_report - every performance figure of the game in one run, as ratios against baselines measured
// in the same run: run it under an X server from the build folder,
//
//     xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bench/perf_report [--seconds S] [--repeats N]
//
// Whole processes, each started fresh and measured from outside (wait4's CPU time and peak resident set,
// and the time from fork to the byte a program writes once its first frame is presented):
//   bare_clear      clears and presents at 60 frames a second             (baseline)
//   game title      the game held on its title screen                     (game_hold title)
//   bare_quads      also draws 200 blended 64 x 64 quads a frame          (baseline)
//   game level      a level in play, answers typed now and then           (game_hold level)
//   scripted run    frame_budget's run through every screen, once         (peak memory)
// The programs run in turn, repeat after repeat, so a drift of the machine's speed hits them alike;
// each ratio is taken within a repeat and the median of the repeats is printed with its range. Then
// frame_budget prints the work of every frame of the scripted run (offscreen, virtual clock).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Spread.h"

namespace {

struct TResult {
    double cpuSeconds = 0;
    double wallSeconds = 0;
    double firstFrameMs = 0;   // 0 when the program never said
    double peakMiB = 0;
    bool ok = false;
};

std::string benchDir;

// Starts bench/<program> with the arguments, waits for it, and measures it from outside.
TResult Run(const std::vector<std::string>& command, const char* videoDriver)
{
    TResult result;
    int ready[2];
    if (pipe(ready) != 0)
        return result;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(ready[0]);
        setenv("CALCADIA_READY_FD", std::to_string(ready[1]).c_str(), 1);
        if (videoDriver)
            setenv("SDL_VIDEODRIVER", videoDriver, 1);
        // Their own chatter (the sound library looking for a card the X server lacks) is not a figure.
        const int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) {
            dup2(quiet, 1);
            dup2(quiet, 2);
        }
        std::vector<char*> argv;
        const std::string path = benchDir + "/" + command[0];
        argv.push_back(const_cast<char*>(path.c_str()));
        for (size_t i = 1; i < command.size(); ++i)
            argv.push_back(const_cast<char*>(command[i].c_str()));
        argv.push_back(nullptr);
        execv(path.c_str(), argv.data());
        _exit(127);
    }
    close(ready[1]);
    char byte = 0;
    if (read(ready[0], &byte, 1) == 1)
        result.firstFrameMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    close(ready[0]);
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    result.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    result.peakMiB = usage.ru_maxrss / 1024.0;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!result.ok)
        std::fprintf(stderr, "perf_report: %s failed (status %d)\n", command[0].c_str(), status);
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    double seconds = 10.0;
    int repeats = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--repeats") == 0 && i + 1 < argc)
            repeats = std::max(1, std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: perf_report [--seconds S] [--repeats N]\n");
            return 2;
        }
    }
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "perf_report: needs an X server; run it as xvfb-run -a bench/perf_report\n");
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path self = fs::read_symlink("/proc/self/exe");
    benchDir = self.parent_path().string();
    // The programs find Data/ in the working directory: the build folder above bench/.
    if (fs::is_directory(self.parent_path().parent_path() / "Data"))
        fs::current_path(self.parent_path().parent_path());

    const std::string s = std::to_string(seconds);
    enum { CLEAR, TITLE, QUADS, LEVEL, SCRIPT, KINDS };
    const char* names[KINDS] = {"bare_clear", "game title", "bare_quads", "game level", "scripted run"};
    std::vector<TResult> results[KINDS];
    const std::string scratch = "/tmp/perf_report." + std::to_string(getpid());
    for (int r = 0; r < repeats; ++r) {
        std::fprintf(stderr, "perf_report: repeat %d of %d\n", r + 1, repeats);
        results[CLEAR].push_back(Run({"bare_clear", s}, "x11"));
        results[TITLE].push_back(Run({"game_hold", "title", s}, "x11"));
        results[QUADS].push_back(Run({"bare_quads", s}, "x11"));
        results[LEVEL].push_back(Run({"game_hold", "level", s}, "x11"));
        results[SCRIPT].push_back(Run({"frame_budget", "--once", scratch}, "x11"));
        std::remove(scratch.c_str());
    }

    std::printf("Whole-process figures under the X server %s, %d repeats of %.0f s holds, median (min-max):\n",
                std::getenv("DISPLAY"), repeats, seconds);
    std::printf("  %-13s %-24s %-24s %-26s %s\n", "", "CPU, % of a core", "CPU seconds", "exec to first frame, ms",
                "peak resident, MiB");
    for (int k = 0; k < KINDS; ++k) {
        std::vector<double> cpu, pct, first, peak;
        for (const TResult& t : results[k]) {
            cpu.push_back(t.cpuSeconds);
            pct.push_back(100.0 * t.cpuSeconds / std::max(t.wallSeconds, 1e-9));
            first.push_back(t.firstFrameMs);
            peak.push_back(t.peakMiB);
        }
        std::printf("  %-13s %-24s %-24s %-26s %s\n", names[k], k == SCRIPT ? "-" : Show(Spread(pct), "%.1f").c_str(),
                    k == SCRIPT ? "-" : Show(Spread(cpu), "%.2f").c_str(),
                    k == SCRIPT ? "-" : Show(Spread(first), "%.0f").c_str(), Show(Spread(peak), "%.1f").c_str());
    }
    auto ratio = [&](int a, int b, auto field) {
        std::vector<double> v;
        for (int r = 0; r < repeats; ++r)
            v.push_back(field(results[a][r]) / std::max(field(results[b][r]), 1e-9));
        return Spread(v);
    };
    auto cpu = [](const TResult& t) { return t.cpuSeconds; };
    auto first = [](const TResult& t) { return t.firstFrameMs; };
    const TSpread titleCpu = ratio(TITLE, CLEAR, cpu), levelCpu = ratio(LEVEL, QUADS, cpu);
    const TSpread startup = ratio(TITLE, CLEAR, first);
    std::vector<double> extra;
    for (int r = 0; r < repeats; ++r)
        extra.push_back(results[SCRIPT][r].peakMiB - results[CLEAR][r].peakMiB);
    const TSpread memory = Spread(extra);
    std::printf("Ratios within each repeat, median (min-max):\n");
    std::printf("  title screen CPU / clear-only CPU            %s   target < 1.5\n", Show(titleCpu, "%.2fx").c_str());
    std::printf("  level in play CPU / 200-quad CPU             %s   target < 0.5\n", Show(levelCpu, "%.2fx").c_str());
    std::printf("  exec to title's first frame / clear-only's   %s   target < 1.5\n", Show(startup, "%.2fx").c_str());
    std::printf("  scripted run peak resident - clear-only's    %s   target < +30 MiB\n",
                Show(memory, "%+.1f MiB").c_str());
    std::fflush(stdout);

    // The frame-by-frame work, headless as the tests run.
    const std::string budget = benchDir + "/frame_budget";
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    execl(budget.c_str(), budget.c_str(), "--repeat", std::to_string(repeats).c_str(), nullptr);
    std::perror("perf_report: frame_budget");
    return 1;
}
