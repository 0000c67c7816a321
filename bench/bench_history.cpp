// bench_history - what an answer costs the frame that gives it when the history is kept: queueing it
// (and, when no writing is under way, handing the writing to the background work), against the same
// call with the history off and against a frame's 16.7 ms. The writing itself runs beside, and its rate is counted as answers kept
// a second. The database goes into a temporary folder, never the user's.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "records/History.h"

namespace {

const std::string QUESTION = "7 x 8 =", TYPED = "56";

void QueueOne(const std::shared_ptr<const void>& run, int i)
{
    QueueAnswer(run, 2, 3, QUESTION, TYPED, i % 3 ? 0 : 1, 90, 60.0f);
}

// The history started in a temporary data folder, and stopped and removed again.
class TKeptHere {
public:
    TKeptHere()
    {
        char pattern[] = "/tmp/calcadia-bench-XXXXXX";
        home = mkdtemp(pattern);
        setenv("XDG_DATA_HOME", home.c_str(), 1);
        StartHistory("bench");
    }
    ~TKeptHere()
    {
        StopHistory();
        std::error_code error;
        std::filesystem::remove_all(home, error);
    }

private:
    std::string home;
};

void BM_AnswerWithHistoryOff(benchmark::State& state)
{
    const auto run = std::make_shared<int>(0);
    int i = 0;
    for (auto _ : state)
        QueueOne(run, i++);
}
BENCHMARK(BM_AnswerWithHistoryOff);

// One answer queued per iteration; the background writes them in batches as they come.
void BM_AnswerWithHistoryKept(benchmark::State& state)
{
    const TKeptHere kept;
    const auto run = std::make_shared<int>(0);
    int i = 0;
    for (auto _ : state)
        QueueOne(run, i++);
}
BENCHMARK(BM_AnswerWithHistoryKept)->Iterations(20000);

// As in play, where answers come seconds apart: every answer finds no writing under way and starts
// the background job. Only the queueing is timed; the wait for the write is not.
void BM_AnswerStartingTheWriter(benchmark::State& state)
{
    const TKeptHere kept;
    const auto run = std::make_shared<int>(0);
    int i = 0;
    for (auto _ : state) {
        QueueOne(run, i++);
        state.PauseTiming();
        FlushHistory();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AnswerStartingTheWriter)->Iterations(300);

}  // namespace

BENCHMARK_MAIN();
