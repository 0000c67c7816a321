// KeptRecord - reading and saving one kept record, with one rule for damage and one for failure.
#include "records/KeptRecord.h"

#include <cstdio>
#include <utility>

namespace {
void Warn(const std::string& text)
{
    std::fflush(stdout);
    std::fprintf(stderr, "calcadia: %s\n", text.c_str());
    std::fflush(stderr);
}
}

TKeptRecord::TKeptRecord(TStorageArea area, std::string name, std::string what, size_t maxBytes)
    : area(area), name(std::move(name)), what(std::move(what)), maxBytes(maxBytes)
{
}

std::string TKeptRecord::Location() const
{
    return StoredRecordLocation(area, name);
}

std::optional<std::string> TKeptRecord::Read()
{
    TStoredRecord record = ReadStoredRecord(area, name, maxBytes);
    if (record.state == TStoredRecord::FOUND)
        return std::move(record.bytes);
    if (record.state == TStoredRecord::UNREADABLE)
        SetAside("cannot be read (" + record.problem + ")");
    return std::nullopt;
}

void TKeptRecord::Reject(const std::string& why)
{
    SetAside("is " + why);
}

void TKeptRecord::SetAside(const std::string& why)
{
    const std::string aside = SetStoredRecordAside(area, name);
    if (!aside.empty()) {
        Warn("the " + what + " in " + Location() + " " + why + "; moved to " + aside + ", going on without it");
        return;
    }
    writable = false;
    saidNotSaved = true;
    // It is met again at every read (the title, every run's end), and it is the same news each time.
    if (saidStuck)
        return;
    saidStuck = true;
    Warn("the " + what + " in " + Location() + " " + why + " and cannot be moved aside; going on without it, " +
         "and the " + what + " will not be saved");
}

bool TKeptRecord::Write(const std::string& bytes)
{
    if (!writable) {
        NoteNotSaved("the damaged file is still there");
        return false;
    }
    std::string note;
    const std::string problem = WriteStoredRecord(area, name, bytes, &note);
    if (problem.empty()) {
        if (!note.empty() && !saidNote) {
            saidNote = true;
            Warn("the " + what + ": " + note);
        }
        return true;
    }
    NoteNotSaved(problem);
    return false;
}

TStoredRecordLock TKeptRecord::Lock()
{
    TStoredRecordLock lock(area, name);
    if (!lock.Held() && !lock.Problem().empty() && !saidUnlocked) {
        saidUnlocked = true;
        Warn("the " + what + ": " + lock.Problem() +
             (lock.WaitedOut() ? "; saved without the lock"
                               : "; saved without a lock, so copies of the game running at once may overwrite "
                                 "each other's saves"));
    }
    return lock;
}

void TKeptRecord::NoteNotSaved(const std::string& why)
{
    if (saidNotSaved)
        return;
    saidNotSaved = true;
    Warn("the " + what + " will not be saved: " + why);
}
