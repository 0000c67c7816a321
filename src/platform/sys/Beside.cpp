// Work beside the frame loop on the desktop: a detached low-priority thread per job.
#include "platform/Beside.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

void StartThread(std::function<bool()> step)
{
    try {
        std::thread([step] {
            // The job runs far faster than it is needed: it yields the processor to the frame loop and
            // the rasteriser's threads rather than compete with them.
            setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), 10);
            while (step()) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: finish here rather than leave the job half done.
        while (step()) {
        }
    }
}

// Jobs are started from the game's thread and from start-up's preload thread.
struct THeld {
    std::mutex lock;
    bool holding = false;
    std::vector<std::function<bool()>> jobs;
};

THeld& Held()
{
    static THeld& held = *new THeld;
    return held;
}

}  // namespace

void RunBeside(std::function<bool()> step)
{
    {
        THeld& held = Held();
        std::lock_guard<std::mutex> guard(held.lock);
        if (held.holding) {
            held.jobs.push_back(std::move(step));
            return;
        }
    }
    StartThread(std::move(step));
}

void RunStepsBeside() {}

void HoldBeside()
{
    THeld& held = Held();
    std::lock_guard<std::mutex> guard(held.lock);
    held.holding = true;
}

void ReleaseBeside()
{
    std::vector<std::function<bool()>> jobs;
    {
        THeld& held = Held();
        std::lock_guard<std::mutex> guard(held.lock);
        held.holding = false;
        jobs.swap(held.jobs);
    }
    for (auto& step : jobs)
        StartThread(std::move(step));
}
