// SavedState - what the game keeps between launches: the best scores and the settings, as loaded at
// start-up, and the writing back when a run ends or a setting changes.
#pragma once

#include <memory>

#include "records/BestScores.h"
#include "records/KeptRecord.h"
#include "records/Settings.h"

class TSavedState;
using TSavedStatePtr = std::shared_ptr<TSavedState>;

class TSavedState {
public:
    TKeptRecord scoresRecord{TStorageArea::DATA, "best-scores", "best scores", TBestScores::MAX_BYTES};
    TKeptRecord settingsRecord{TStorageArea::CONFIG, "settings", "settings", TSettings::MAX_BYTES};
    TBestScores scores;
    TSettings settings;

    // Reads both records; a damaged one is set aside and its defaults (an empty table) are used.
    static TSavedStatePtr Load();

    struct TRunResult {
        int best = 0;          // the mode's best score with this run counted
        bool newBest = false;  // this run beat every earlier one of its mode
    };
    // Enters a finished run in its mode's table and saves the table, merged with what other copies of
    // the game saved meanwhile: under the table's lock, from its file as it is now. date is YYYY-MM-DD.
    TRunResult RecordRun(int mode, int score, int level, const std::string& date);
    // Window or full screen, saved when the file says otherwise; only its display line is changed.
    void ChooseFullScreen(int flag);
    // Takes the table from its file when the file changed since this launch last read or wrote it: a
    // run another copy of the game saved meanwhile is kept, a file the player deleted starts a new
    // table, and while nothing can be saved the launch keeps its own.
    void RefreshScores();
    // Runs played with more time (timePercent above 100) go to a table of their own for that factor,
    // beside the usual one, which stays as it is and which older copies of the game go on reading.
    void KeepScoresApart(int timePercent);

private:
    std::optional<std::string> scoresSeen;   // nothing: no file
};

// Today in the player's time zone, as YYYY-MM-DD.
std::string TodaysDate();
