// SavedState - the best scores and settings kept between launches, saved beside the frame.
#include "records/SavedState.h"

#include "platform/Background.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "shell/Access.h"

namespace {

// The saves of the whole program, one after another: two saves of one record must never overlap, and
// a save of the table must start from the one before it. The mutex guards the queue alone and is
// never held while a save runs.
class TSaveQueue {
public:
    void Push(std::function<void()> save)
    {
        bool start = false;
        {
            const std::lock_guard<std::mutex> hold(mutex);
            saves.push_back(std::move(save));
            start = !running;
            running = true;
        }
        if (start)
            RunInBackground([this] { return RunOne(); });
    }

    // Until done() holds or the time is up; in the browser the waiting steps are run here, as there is
    // no other thread to run them.
    bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            RunBackgroundSteps();
            std::unique_lock<std::mutex> hold(mutex);
            finished.wait_for(hold, std::chrono::milliseconds(20));
        }
        return true;
    }

    // No save waiting and the worker past its last use of the queue: a fork now (a test's other copy
    // of the game) finds the queue as a fresh program would.
    bool Idle()
    {
        const std::lock_guard<std::mutex> hold(mutex);
        return !running;
    }

    // At the program's end (the window already closed), a save still running is waited for: the run
    // it keeps is the player's. Long enough for one that waits out a held lock, and no longer, so that
    // a dead network home cannot keep the program from ending.
    ~TSaveQueue() { WaitFor([this] { return Idle(); }, std::chrono::seconds(30)); }

private:
    bool RunOne()
    {
        std::function<void()> save;
        {
            const std::lock_guard<std::mutex> hold(mutex);
            if (saves.empty()) {
                running = false;
                finished.notify_all();
                return false;
            }
            save = std::move(saves.front());
            saves.pop_front();
        }
        save();
        finished.notify_all();
        return true;
    }

    std::mutex mutex;
    std::condition_variable finished;
    std::deque<std::function<void()>> saves;
    bool running = false;
};

TSaveQueue& Saves()
{
    static TSaveQueue queue;
    return queue;
}

}  // namespace

TSavedStatePtr TSavedState::Load()
{
    auto state = std::make_shared<TSavedState>();
    state->RefreshScores();
    if (std::optional<std::string> text = state->settingsRecord.Read()) {
        std::vector<std::string> warnings;
        state->settings = TSettings::Parse(*text, warnings);
        // Random bytes in the file would give a warning for every line: the first few tell the story.
        constexpr size_t SHOWN = 5;
        for (size_t i = 0; i < warnings.size() && i < SHOWN; ++i)
            std::fprintf(stderr, "calcadia: %s, %s\n", state->settingsRecord.Location().c_str(), warnings[i].c_str());
        if (warnings.size() > SHOWN)
            std::fprintf(stderr, "calcadia: %s, %zu more lines ignored\n", state->settingsRecord.Location().c_str(),
                         warnings.size() - SHOWN);
    }
    return state;
}

void TSavedState::Queue(std::function<void()> save)
{
    ++waiting;
    Saves().Push([self = shared_from_this(), save = std::move(save)] {
        save();
        --self->waiting;
    });
}

void TSavedState::FinishSaving()
{
    Saves().WaitFor([this] { return !Saving() && Saves().Idle(); }, std::chrono::seconds(60));
}

void TSavedState::RefreshScores()
{
    // The saves' copy is theirs while one runs; the table it leaves is taken when it is done.
    if (Saving())
        return;
    RefreshSavesTable();
    scores = savesTable;
}

void TSavedState::RefreshSavesTable()
{
    std::optional<std::string> text = scoresRecord.Read();
    if (text == scoresSeen)
        return;
    savesTable = TBestScores();
    scoresSeen = text;
    if (!text)
        return;
    std::string why;
    if (std::optional<TBestScores> table = TBestScores::Parse(*text, why)) {
        savesTable = *table;
    } else {
        scoresRecord.Reject(why);
        // Moved aside, the file is gone; left where it was, it is the same damaged file next time.
        if (scoresRecord.Writable())
            scoresSeen = std::nullopt;
    }
}

std::shared_ptr<const TSavedState::TRunSave> TSavedState::SaveRun(int mode, int score, int level,
                                                                  const std::string& date)
{
    auto save = std::make_shared<TRunSave>();
    Queue([this, save, mode, score, level, date] { RecordRunNow(mode, score, level, date, *save); });
    return save;
}

std::optional<TSavedState::TRunResult> TSavedState::SavedRun(const std::shared_ptr<const TRunSave>& save)
{
    if (!save->done.load(std::memory_order_acquire))
        return std::nullopt;
    if (!Saving())
        scores = savesTable;
    return save->result;
}

void TSavedState::RecordRunNow(int mode, int score, int level, const std::string& date, TRunSave& save)
{
    // From the read to the rename: two copies ending runs together would otherwise both add theirs to
    // the table as it was, and the later rename would drop the other's. A run that cannot be kept
    // (nothing scored) writes nothing and needs no lock.
    std::optional<TStoredRecordLock> lock;
    if (score > 0)
        lock.emplace(scoresRecord.Lock());
    RefreshSavesTable();
    const int place = savesTable.Add(mode, TBestScore{score, level, date});
    if (place >= 0) {
        const std::string text = savesTable.Format();
        if (scoresRecord.Write(text))
            scoresSeen = text;
    }
    save.result = TRunResult{savesTable.Best(mode), place == 0};
    save.done.store(true, std::memory_order_release);
}

void TSavedState::KeepScoresApart(int timePercent)
{
    if (timePercent == 100)
        return;
    // best-scores-more-time-1.5: the factor as the player gave it, so the file says whose runs it holds.
    const std::string name = "best-scores-more-time-" + TimeFactorText(timePercent);
    scoresRecord = TKeptRecord{TStorageArea::DATA, name, "best scores with more time", TBestScores::MAX_BYTES};
    scores = savesTable = TBestScores();
    scoresSeen = std::nullopt;
    RefreshScores();
}

void TSavedState::SaveFullScreen(int flag)
{
    settings.fullScreen = flag;
    Queue([this, flag] { ChooseFullScreenNow(flag); });
}

void TSavedState::ChooseFullScreenNow(int flag)
{
    // The file as it is now, not as it was at launch: the player may have edited it while the game ran
    // (the volumes are set there), or another copy may have saved its own choice.
    const TStoredRecordLock lock = settingsRecord.Lock();
    const std::optional<std::string> text = settingsRecord.Read();
    std::vector<std::string> warnings;
    if (TSettings::Parse(text.value_or(""), warnings).fullScreen == flag)
        return;
    if (text && !text->empty()) {
        settingsRecord.Write(TSettings::WithDisplay(*text, flag));
    } else {
        TSettings chosen;
        chosen.fullScreen = flag;
        settingsRecord.Write(chosen.Format());
    }
}

TSavedState::TRunResult TSavedState::RecordRun(int mode, int score, int level, const std::string& date)
{
    const auto save = SaveRun(mode, score, level, date);
    FinishSaving();
    return SavedRun(save).value_or(TRunResult());
}

void TSavedState::ChooseFullScreen(int flag)
{
    SaveFullScreen(flag);
    FinishSaving();
}

std::string TodaysDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}
