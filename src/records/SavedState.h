// SavedState - what the game keeps between launches: the best scores and the settings, as loaded at
// start-up, and the writing back when a run ends or a setting changes.
//
// SAVING BESIDE THE FRAME
// A save takes the record's lock, reads the file as it is now, merges and replaces it: milliseconds
// as a rule, but seconds when another copy of the game holds the lock (stopped in a debugger, a slow
// network home). So the frame loop never saves: SaveRun and SaveFullScreen hand the save to the
// background work (platform/Background.h) and return at once. Saves run one after another, in the order
// they were asked for, each on the file as the one before left it.
//
// Two copies of what the scores file held are kept: the frame's (scores, read by the screens) and the
// saves' (touched only by the save running, or by the frame while no save is waiting). A later frame
// takes the saves' copy over when they are done (RefreshScores, SavedRun), so nothing is shared while
// a save runs but the short queue of saves itself.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "records/BestScores.h"
#include "records/KeptRecord.h"
#include "records/Settings.h"

class TSavedState;
using TSavedStatePtr = std::shared_ptr<TSavedState>;

class TSavedState : public std::enable_shared_from_this<TSavedState> {
public:
    TKeptRecord scoresRecord{TStorageArea::DATA, "best-scores", "best scores", TBestScores::MAX_BYTES};
    TKeptRecord settingsRecord{TStorageArea::CONFIG, "settings", "settings", TSettings::MAX_BYTES};
    // The frame's copy of the table.
    TBestScores scores;
    TSettings settings;

    // Reads both records; a damaged one is set aside and its defaults (an empty table) are used.
    static TSavedStatePtr Load();

    struct TRunResult {
        int best = 0;          // the mode's best score with this run counted
        bool newBest = false;  // this run beat every earlier one of its mode
    };
    // One run's save, as the frame sees it: done turns true once result holds the outcome.
    struct TRunSave {
        std::atomic<bool> done{false};
        TRunResult result;
    };
    // Enters a finished run in its mode's table and saves the table, merged with what other copies of
    // the game saved meanwhile: under the table's lock, from its file as it is now. date is YYYY-MM-DD.
    // Returns at once; the outcome is SavedRun's once the save is done.
    std::shared_ptr<const TRunSave> SaveRun(int mode, int score, int level, const std::string& date);
    // The save's outcome once it is done (and the frame's table with it), nothing while it runs.
    std::optional<TRunResult> SavedRun(const std::shared_ptr<const TRunSave>& save);
    // Window or full screen, saved when the file says otherwise; only its display line is changed.
    // Returns at once.
    void SaveFullScreen(int flag);
    // True while a save asked for by this launch has not finished.
    bool Saving() const { return waiting.load() > 0; }
    // Waits for every save asked for so far; for the program's end and for tests.
    void FinishSaving();

    // SaveRun and SaveFullScreen, waited for: what another copy of the game does, in tests.
    TRunResult RecordRun(int mode, int score, int level, const std::string& date);
    void ChooseFullScreen(int flag);

    // Takes the table from its file when the file changed since this launch last read or wrote it: a
    // run another copy of the game saved meanwhile is kept, a file the player deleted starts a new
    // table, and while nothing can be saved the launch keeps its own. While a save runs, the table it
    // will leave is taken when it is done instead.
    void RefreshScores();
    // Runs played with more time (timePercent above 100) go to a table of their own for that factor,
    // beside the usual one, which stays as it is and which older copies of the game go on reading.
    void KeepScoresApart(int timePercent);

private:
    // The saves' side: run by the background work, one at a time.
    void RecordRunNow(int mode, int score, int level, const std::string& date, TRunSave& save);
    void ChooseFullScreenNow(int flag);
    void RefreshSavesTable();
    void Queue(std::function<void()> save);

    std::optional<std::string> scoresSeen;   // the saves' copy: the file's text, nothing when no file
    TBestScores savesTable;                   // the saves' copy of the table
    std::atomic<int> waiting{0};
};

// Today in the player's time zone, as YYYY-MM-DD.
std::string TodaysDate();
