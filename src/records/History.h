// History - every answer given in play, kept in an SQLite database beside the best scores for the
// teacher's report: the game queues an answer in memory, and the database is written beside the frame
// loop, so no frame ever waits on it.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

struct THistoryAnswer {
    enum TOutcome { RIGHT = 0, WRONG = 1, TIME_UP = 2 };

    std::string time;       // the player's local date and time, YYYY-MM-DD HH:MM:SS
    std::string player;     // "" for the unnamed player
    int64_t run = 0;        // the same for every answer of one run
    int mode = 0;           // the profile's mode number
    int level = 1;
    std::string question;   // as shown: "7 x 8 ="
    std::string typed;      // as typed; for a time-up, whatever was half typed
    int outcome = RIGHT;
    int frames = 0;         // frames of play from the question's showing to the answer
    double seconds = 0.0;   // frames at the frame rate the level ran at
};

// The most recent answers kept; older ones are dropped as new ones come. A class playing ten minutes a
// day every day (about 500 answers) fills it in a year; it takes about 20 MB.
constexpr int64_t HISTORY_KEPT_ANSWERS = 200000;
// The database's name beside the best scores.
constexpr const char* HISTORY_FILE = "history.sqlite";

// The game's side. Until StartHistory, and after StopHistory, QueueAnswer does nothing and nothing is
// opened: tests, replays and launches with the history off keep nothing.
void StartHistory(const std::string& player, int64_t keptAnswers = HISTORY_KEPT_ANSWERS);
bool HistoryOn();
// Queues one answer and hands the writing to the background work. run is the run's profile: a new one
// starts a new run. The time is taken now; the player is the one StartHistory named.
void QueueAnswer(const std::shared_ptr<const void>& run, int mode, int level, const std::string& question,
                 const std::string& typed, int outcome, int frames, float frameRate);
// Waits for the writing in progress and writes what is still queued; the database stays open. Called
// as the program ends, so a run left with Esc or Ctrl+X keeps every answer it had.
void FlushHistory();
// Flushes, closes the database and turns the history off.
void StopHistory();

// The report's side: the answers kept at path, oldest first; since (YYYY-MM-DD) and player narrow them
// when not empty / not null. False, with why, when the database cannot be read; a missing one is empty.
bool ReadHistory(const std::string& path, const std::string& since, const std::string* player,
                 std::vector<THistoryAnswer>& answers, std::string& why);
// Where the database lives; empty when there is no home folder.
std::string HistoryLocation();
