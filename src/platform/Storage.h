// Storage - the few small records the game keeps between runs (best scores, settings), by area and name.
//
// Each backend keeps them where its platform expects: the native one in files under the user's data
// and configuration folders (StorageFile.cpp), a browser one in the page's local storage. Whatever
// the backend, a record is replaced whole: a reader sees either the old bytes or the new, never a mix,
// even when the program dies half-way through a write.
#pragma once

#include <cstddef>
#include <string>

enum class TStorageArea {
    DATA,     // what the game records (best scores): $XDG_DATA_HOME/calcadia natively
    CONFIG,   // what the player chooses (settings): $XDG_CONFIG_HOME/calcadia natively
};

struct TStoredRecord {
    enum TState {
        FOUND,        // bytes holds the whole record
        MISSING,      // never written (or removed): not a fault
        UNREADABLE,   // there, but not something that can be read as a record; problem says why
    };
    TState state = MISSING;
    std::string bytes;
    std::string problem;
};

// Reads the record whole. One larger than maxBytes, or anything but a plain record (a folder, a device,
// a pipe in its place), is UNREADABLE rather than read.
TStoredRecord ReadStoredRecord(TStorageArea area, const std::string& name, size_t maxBytes);
// Replaces the record with bytes, atomically. Empty on success, otherwise why it could not be written.
// A record reached through a symbolic link is written where the link points, and the link stays; the
// record's permissions stay as they were. note, when given, hears of what a successful write could not
// keep (other hard links to the record still hold the old bytes).
std::string WriteStoredRecord(TStorageArea area, const std::string& name, const std::string& bytes,
                              std::string* note = nullptr);
// Moves a damaged record out of the way, to the first free name of the form NAME.bad.N, so that it is
// kept for a look but never read again. The new location, or empty when it could not be moved.
std::string SetStoredRecordAside(TStorageArea area, const std::string& name);
// While one lives, another holder of the same record's lock (another copy of the game, in any
// process) waits in its making: a record read, changed and written under it loses no write another
// copy made meanwhile. A lock file beside the record (NAME.lock) carries it, which also works on
// network file systems; one the player cannot write (left by a launch as another user) is locked
// read-only, and a symbolic link in its place is never followed. Where no lock can be had (a folder
// that cannot be written, a file system without locks, something else in the lock file's place) or
// another copy holds it for seconds on end, it holds nothing, problem says why, and the write still
// replaces the record whole. The browser's storage has no lock to take: there it holds nothing and
// reports no problem.
class TStoredRecordLock {
public:
    TStoredRecordLock(TStorageArea area, const std::string& name);
    ~TStoredRecordLock();
    TStoredRecordLock(TStoredRecordLock&& other) noexcept;
    TStoredRecordLock(const TStoredRecordLock&) = delete;
    TStoredRecordLock& operator=(const TStoredRecordLock&) = delete;
    TStoredRecordLock& operator=(TStoredRecordLock&&) = delete;
    bool Held() const { return handle >= 0; }
    // Why it is not held: empty when it is, or where there is nothing to lock.
    const std::string& Problem() const { return problem; }
    // Not held only because another copy held it for the whole wait.
    bool WaitedOut() const { return waitedOut; }

private:
    int handle = -1;
    std::string problem;
    bool waitedOut = false;
};
// Where the record lives, for messages and help texts (a path natively); empty when there is nowhere
// to keep records at all (no home folder).
std::string StoredRecordLocation(TStorageArea area, const std::string& name);
