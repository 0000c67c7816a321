// Work in the background on the desktop: a detached low-priority thread per job.
#include "platform/Background.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <system_error>
#include <thread>

void RunInBackground(std::function<bool()> step)
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

void RunBackgroundSteps() {}
