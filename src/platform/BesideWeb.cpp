// Work beside the frame loop in the browser: the page has one thread, so each waiting job gets one
// step between frames (a step of music decoding is a second of sound, a few milliseconds of work).
// Threads would need the page served with cross-origin isolation headers, which a plain static host
// or a school's file share does not send.
#ifdef __EMSCRIPTEN__
#include "platform/Beside.h"

#include <vector>

namespace {
std::vector<std::function<bool()>>& Waiting()
{
    static std::vector<std::function<bool()>> jobs;
    return jobs;
}
}

void RunBeside(std::function<bool()> step)
{
    Waiting().push_back(std::move(step));
}

void RunStepsBeside()
{
    auto& jobs = Waiting();
    // A step may start another job: only the jobs waiting now get their turn.
    const size_t count = jobs.size();
    std::vector<bool> finished(count, false);
    for (size_t i = 0; i < count; ++i)
        finished[i] = !jobs[i]();
    size_t kept = 0;
    for (size_t i = 0; i < jobs.size(); ++i)
        if (i >= count || !finished[i])
            jobs[kept++] = std::move(jobs[i]);
    jobs.resize(kept);
}
#endif
