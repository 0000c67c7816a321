// Work in the background in the browser: the page has one thread, so each waiting job gets one
// step between frames (a step of music decoding is a second of sound, a few milliseconds of work).
// Threads would need the page served with cross-origin isolation headers, which a plain static host
// or a school's file share does not send.
#include "platform/Background.h"

#include <iterator>
#include <vector>

namespace {
std::vector<std::function<bool()>>& Waiting()
{
    static std::vector<std::function<bool()>> jobs;
    return jobs;
}
}

void RunInBackground(std::function<bool()> step)
{
    Waiting().push_back(std::move(step));
}

void RunBackgroundSteps()
{
    // A step may start another job, which waits for the next turn; the vector is not touched while
    // a step runs.
    std::vector<std::function<bool()>> turn;
    turn.swap(Waiting());
    std::vector<std::function<bool()>> going;
    for (auto& step : turn)
        if (step())
            going.push_back(std::move(step));
    auto& started = Waiting();
    going.insert(going.end(), std::make_move_iterator(started.begin()), std::make_move_iterator(started.end()));
    started.swap(going);
}
