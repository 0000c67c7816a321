// SavedState - the best scores and settings kept between launches.
#include "records/SavedState.h"

#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

#include "shell/Access.h"

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

void TSavedState::RefreshScores()
{
    std::optional<std::string> text = scoresRecord.Read();
    if (text == scoresSeen)
        return;
    scores = TBestScores();
    scoresSeen = text;
    if (!text)
        return;
    std::string why;
    if (std::optional<TBestScores> table = TBestScores::Parse(*text, why)) {
        scores = *table;
    } else {
        scoresRecord.Reject(why);
        // Moved aside, the file is gone; left where it was, it is the same damaged file next time.
        if (scoresRecord.Writable())
            scoresSeen = std::nullopt;
    }
}

TSavedState::TRunResult TSavedState::RecordRun(int mode, int score, int level, const std::string& date)
{
    // From the read to the rename: two copies ending runs together would otherwise both add theirs to
    // the table as it was, and the later rename would drop the other's. A run that cannot be kept
    // (nothing scored) writes nothing and needs no lock.
    std::optional<TStoredRecordLock> lock;
    if (score > 0)
        lock.emplace(TStorageArea::DATA, scoresRecord.Name());
    RefreshScores();
    const int place = scores.Add(mode, TBestScore{score, level, date});
    if (place >= 0) {
        const std::string text = scores.Format();
        if (scoresRecord.Write(text))
            scoresSeen = text;
    }
    return TRunResult{scores.Best(mode), place == 0};
}

void TSavedState::KeepScoresApart(int timePercent)
{
    if (timePercent == 100)
        return;
    // best-scores-more-time-1.5: the factor as the player gave it, so the file says whose runs it holds.
    const std::string name = "best-scores-more-time-" + TimeFactorText(timePercent);
    scoresRecord = TKeptRecord{TStorageArea::DATA, name, "best scores with more time", TBestScores::MAX_BYTES};
    scores = TBestScores();
    scoresSeen = std::nullopt;
    RefreshScores();
}

void TSavedState::ChooseFullScreen(int flag)
{
    settings.fullScreen = flag;
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

std::string TodaysDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}
