// History - the answers' database: queued by the game, written beside the frame loop.
//
// THE QUEUE AND THE WRITER
// The game thread only appends to `queued` under `lock`, which is never held for longer than a swap,
// and starts one background job when none is running. The job swaps the queue out and writes it in one
// transaction, again and again until the queue is empty, then ends. SQLite is only ever called by the
// job, or by FlushHistory once no job runs; so the frame loop never waits on the database, a lock file
// or the disk. Answers that could not be written (another copy held the database past the busy
// timeout) go back to the front of the queue for the next job.
//
// THE DATABASE
// One table, in write-ahead mode, so that several copies of the game and a report can use it at once.
// A database SQLite finds damaged is moved aside with its journal, as the other records are, and a new
// one is started; one that cannot be opened or written at all turns the history off for this launch,
// with a line on standard error.
#include "records/History.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/Background.h"
#include "platform/Storage.h"

namespace {

constexpr const char* MODE_NAMES[] = {"addition", "subtraction", "multiplication", "division", "all"};
constexpr const char* OUTCOME_NAMES[] = {"right", "wrong", "time-up"};
// Another copy writing its batch holds the database for milliseconds; this is far past that.
constexpr int BUSY_MS = 5000;

constexpr const char* SCHEMA =
    "CREATE TABLE IF NOT EXISTS answers ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " time TEXT NOT NULL,"          // local date and time, YYYY-MM-DD HH:MM:SS
    " player TEXT NOT NULL,"        // '' for the unnamed player
    " run INTEGER NOT NULL,"
    " mode TEXT NOT NULL,"          // addition, subtraction, multiplication, division, all
    " level INTEGER NOT NULL,"
    " question TEXT NOT NULL,"      // as shown
    " answer TEXT NOT NULL,"        // as typed
    " outcome TEXT NOT NULL,"       // right, wrong, time-up
    " frames INTEGER NOT NULL,"
    " seconds REAL NOT NULL);"
    "CREATE INDEX IF NOT EXISTS answers_by_time ON answers(time);"
    "PRAGMA user_version = 1;";

void Warn(const std::string& text)
{
    std::fflush(stdout);
    std::fprintf(stderr, "calcadia: %s\n", text.c_str());
    std::fflush(stderr);
}

struct THistory {
    std::mutex lock;
    std::condition_variable idle;
    std::vector<THistoryAnswer> queued;   // the game's side
    std::atomic<bool> on{false};
    bool jobRunning = false;
    std::string player;
    int64_t kept = HISTORY_KEPT_ANSWERS;
    std::weak_ptr<const void> runOwner;
    int64_t run = 0;
    // The writer's side: touched by one job at a time, or by FlushHistory with no job running.
    std::vector<THistoryAnswer> writing;
    sqlite3* db = nullptr;
    std::atomic<bool> broken{false};   // nothing can be kept this launch; said once
};

// Never destroyed: a job may still be finishing while the program's statics are torn down.
THistory& History()
{
    static THistory* history = new THistory;
    return *history;
}

bool Damaged(int code)
{
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

// mkdir -p, as the other records' folders are made: the user's own base folders private.
bool MakeFolders(const std::string& folder)
{
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), slash == std::string::npos ? 0755 : 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    return true;
}

void Close(sqlite3*& db)
{
    sqlite3_close_v2(db);
    db = nullptr;
}

// Opens the database and makes its table; the SQLite result code, with the database open on SQLITE_OK.
int OpenWritable(const std::string& path, sqlite3*& db)
{
    int code = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code == SQLITE_OK)
        code = sqlite3_busy_timeout(db, BUSY_MS);
    if (code == SQLITE_OK)
        code = sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    // A file cut short or overwritten in the middle may open and still be damaged; the check reads
    // every page once, on the background work, once a launch.
    sqlite3_stmt* check = nullptr;
    if (code == SQLITE_OK)
        code = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &check, nullptr);
    if (code == SQLITE_OK) {
        const int step = sqlite3_step(check);
        if (step != SQLITE_ROW)
            code = step;
        else if (std::string(reinterpret_cast<const char*>(sqlite3_column_text(check, 0))) != "ok")
            code = SQLITE_CORRUPT;
    }
    sqlite3_finalize(check);
    if (code == SQLITE_OK)
        code = sqlite3_exec(db, SCHEMA, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        Close(db);
    return code;
}

// The damaged database and its journal moved to NAME.bad.N and NAME.bad.N-wal, where a tool may still
// recover them together; the shared-memory index is only a cache of the journal and goes.
bool SetAside(const std::string& path)
{
    const std::string aside = SetStoredRecordAside(TStorageArea::DATA, HISTORY_FILE);
    if (aside.empty())
        return false;
    std::rename((path + "-wal").c_str(), (aside + "-wal").c_str());
    std::remove((path + "-shm").c_str());
    Warn("the history of answers in " + path + " is damaged; moved to " + aside + ", starting a new one");
    return true;
}

void GiveUp(THistory& h, const std::string& why)
{
    h.broken = true;
    Warn("the history of answers will not be kept: " + why);
}

bool Open(THistory& h)
{
    if (h.db)
        return true;
    const std::string path = HistoryLocation();
    if (path.empty()) {
        GiveUp(h, "there is no home folder");
        return false;
    }
    MakeFolders(path.substr(0, path.rfind('/')));
    int code = OpenWritable(path, h.db);
    if (Damaged(code) && SetAside(path))
        code = OpenWritable(path, h.db);
    // Another copy held it past the timeout (making it, say): the answers wait for the next try.
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        return false;
    if (code != SQLITE_OK) {
        GiveUp(h, path + ": " + sqlite3_errstr(code));
        return false;
    }
    return true;
}

std::string LocalTime(std::time_t when)
{
    std::tm local {};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

// Writes h.writing in one transaction, and drops the oldest answers past the bound. SQLITE_OK, or the
// code that stopped it (the transaction then rolled back).
int Insert(THistory& h)
{
    sqlite3_stmt* insert = nullptr;
    sqlite3_stmt* prune = nullptr;
    int code = sqlite3_exec(h.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (code == SQLITE_OK)
        code = sqlite3_prepare_v2(h.db,
                                  "INSERT INTO answers (time, player, run, mode, level, question, answer, outcome,"
                                  " frames, seconds) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                                  -1, &insert, nullptr);
    for (size_t i = 0; code == SQLITE_OK && i < h.writing.size(); ++i) {
        const THistoryAnswer& a = h.writing[i];
        sqlite3_bind_text(insert, 1, a.time.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, a.player.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 3, a.run);
        sqlite3_bind_text(insert, 4, MODE_NAMES[a.mode >= 0 && a.mode <= 4 ? a.mode : 0], -1, SQLITE_STATIC);
        sqlite3_bind_int(insert, 5, a.level);
        sqlite3_bind_text(insert, 6, a.question.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 7, a.typed.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 8, OUTCOME_NAMES[a.outcome], -1, SQLITE_STATIC);
        sqlite3_bind_int(insert, 9, a.frames);
        sqlite3_bind_double(insert, 10, a.seconds);
        code = sqlite3_step(insert);
        if (code == SQLITE_DONE)
            code = sqlite3_reset(insert);
    }
    if (code == SQLITE_OK)
        code = sqlite3_prepare_v2(h.db, "DELETE FROM answers WHERE id <= (SELECT max(id) FROM answers) - ?", -1,
                                  &prune, nullptr);
    if (code == SQLITE_OK) {
        sqlite3_bind_int64(prune, 1, h.kept);
        code = sqlite3_step(prune);
        if (code == SQLITE_DONE)
            code = SQLITE_OK;
    }
    sqlite3_finalize(insert);
    sqlite3_finalize(prune);
    if (code == SQLITE_OK)
        code = sqlite3_exec(h.db, "COMMIT", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        sqlite3_exec(h.db, "ROLLBACK", nullptr, nullptr, nullptr);
    return code;
}

// Writes h.writing; what could not be written yet goes back to the front of the queue. False when the
// batch should not be tried again at once.
bool WriteBatch(THistory& h)
{
    if (h.writing.empty())
        return true;
    bool kept = false;
    if (!h.broken && Open(h)) {
        int code = Insert(h);
        // Damaged while the game ran (another program wrote into it): set aside, and the batch goes
        // into a new one.
        if (Damaged(code)) {
            Close(h.db);
            if (SetAside(HistoryLocation()) && Open(h))
                code = Insert(h);
        }
        kept = code == SQLITE_OK;
        if (!kept && code != SQLITE_BUSY && code != SQLITE_LOCKED)
            GiveUp(h, HistoryLocation() + ": " + sqlite3_errstr(code));
    }
    if (!kept && !h.broken) {
        // Busy past the timeout: kept in memory for the next try.
        std::lock_guard<std::mutex> guard(h.lock);
        h.queued.insert(h.queued.begin(), h.writing.begin(), h.writing.end());
    }
    h.writing.clear();
    return kept;
}

// One step of the background job: a batch. The job ends when the queue is empty.
bool WriteStep()
{
    THistory& h = History();
    {
        std::lock_guard<std::mutex> guard(h.lock);
        if (h.queued.empty()) {
            h.jobRunning = false;
            h.idle.notify_all();
            return false;
        }
        h.writing.swap(h.queued);
    }
    if (WriteBatch(h))
        return true;
    std::lock_guard<std::mutex> guard(h.lock);
    h.jobRunning = false;
    h.idle.notify_all();
    return false;
}

}  // namespace

std::string HistoryLocation()
{
    return StoredRecordLocation(TStorageArea::DATA, HISTORY_FILE);
}

void StartHistory(const std::string& player, int64_t keptAnswers)
{
    THistory& h = History();
    std::lock_guard<std::mutex> guard(h.lock);
    // Reserved once, so that queueing an answer in a frame allocates nothing but its own texts.
    h.queued.reserve(64);
    h.player = player;
    h.kept = keptAnswers;
    h.on = true;
    h.broken = false;
    static const bool flushedAtExit = std::atexit(FlushHistory) == 0;
    (void)flushedAtExit;
}

bool HistoryOn()
{
    return History().on;
}

void QueueAnswer(const std::shared_ptr<const void>& run, int mode, int level, const std::string& question,
                 const std::string& typed, int outcome, int frames, float frameRate)
{
    THistory& h = History();
    if (!h.on || h.broken)
        return;
    bool startJob = false;
    {
        std::lock_guard<std::mutex> guard(h.lock);
        // A profile this history has not seen (or one freed since) is a new run. The id is the run's
        // first answer's time in microseconds: two copies never start runs in the same microsecond.
        const std::shared_ptr<const void> last = h.runOwner.lock();
        if (!last || last.owner_before(run) || run.owner_before(last)) {
            h.runOwner = run;
            timespec now {};
            clock_gettime(CLOCK_REALTIME, &now);
            h.run = int64_t(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
        }
        THistoryAnswer& a = h.queued.emplace_back();
        a.time = LocalTime(std::time(nullptr));
        a.player = h.player;
        a.run = h.run;
        a.mode = mode;
        a.level = level;
        a.question = question;
        a.typed = typed;
        a.outcome = outcome;
        a.frames = frames;
        a.seconds = frameRate > 0.0f ? double(frames) / double(frameRate) : 0.0;
        startJob = !h.jobRunning;
        h.jobRunning = true;
    }
    if (startJob)
        RunInBackground(WriteStep);
}

void FlushHistory()
{
    THistory& h = History();
    std::unique_lock<std::mutex> guard(h.lock);
    h.idle.wait(guard, [&] { return !h.jobRunning; });
    if (h.queued.empty())
        return;
    h.writing.swap(h.queued);
    h.jobRunning = true;
    guard.unlock();
    WriteBatch(h);
    guard.lock();
    h.jobRunning = false;
    h.idle.notify_all();
}

void StopHistory()
{
    FlushHistory();
    THistory& h = History();
    std::lock_guard<std::mutex> guard(h.lock);
    if (h.db)
        Close(h.db);
    h.on = false;
    h.queued.clear();
    h.runOwner.reset();
}

bool ReadHistory(const std::string& path, const std::string& since, const std::string* player,
                 std::vector<THistoryAnswer>& answers, std::string& why)
{
    answers.clear();
    if (path.empty() || ::access(path.c_str(), F_OK) != 0)
        return true;
    sqlite3* db = nullptr;
    // Read-only: a report never changes the history, and may run while a game writes it.
    int code = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* select = nullptr;
    if (code == SQLITE_OK)
        code = sqlite3_busy_timeout(db, BUSY_MS);
    if (code == SQLITE_OK)
        code = sqlite3_prepare_v2(db,
                                  "SELECT time, player, run, mode, level, question, answer, outcome, frames, seconds"
                                  " FROM answers WHERE time >= ?1 AND (?2 IS NULL OR player = ?2) ORDER BY id",
                                  -1, &select, nullptr);
    if (code == SQLITE_OK) {
        sqlite3_bind_text(select, 1, since.c_str(), -1, SQLITE_TRANSIENT);
        if (player)
            sqlite3_bind_text(select, 2, player->c_str(), -1, SQLITE_TRANSIENT);
        const auto text = [&](int column) {
            const unsigned char* value = sqlite3_column_text(select, column);
            return value ? std::string(reinterpret_cast<const char*>(value)) : std::string();
        };
        while ((code = sqlite3_step(select)) == SQLITE_ROW) {
            THistoryAnswer& a = answers.emplace_back();
            a.time = text(0);
            a.player = text(1);
            a.run = sqlite3_column_int64(select, 2);
            const std::string mode = text(3);
            for (int m = 0; m < 5; ++m)
                if (mode == MODE_NAMES[m])
                    a.mode = m;
            a.level = sqlite3_column_int(select, 4);
            a.question = text(5);
            a.typed = text(6);
            const std::string outcome = text(7);
            for (int o = 0; o < 3; ++o)
                if (outcome == OUTCOME_NAMES[o])
                    a.outcome = o;
            a.frames = sqlite3_column_int(select, 8);
            a.seconds = sqlite3_column_double(select, 9);
        }
        if (code == SQLITE_DONE)
            code = SQLITE_OK;
    }
    sqlite3_finalize(select);
    if (code != SQLITE_OK)
        why = path + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
    sqlite3_close_v2(db);
    return code == SQLITE_OK;
}
