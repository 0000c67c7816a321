// KeptRecord - one record the game keeps between runs (the best scores, the settings), read and written
// with the same rules for damage and for a home where nothing can be saved.
#pragma once

#include <optional>
#include <string>

#include "platform/Storage.h"

class TKeptRecord {
public:
    // what names the record in messages ("best scores", "settings").
    TKeptRecord(TStorageArea area, std::string name, std::string what, size_t maxBytes);

    // The record's bytes, or nothing when there is none. One that cannot be read (a folder in its place,
    // no permission, too large) is moved aside with a one-line warning and counts as none.
    std::optional<std::string> Read();
    // For a record that was read but makes no sense: moved aside, with the warning.
    void Reject(const std::string& why);
    // Replaces the record. When it cannot be saved, the game plays on without saving and standard error
    // hears of it once; so does it of what a save could not keep (other hard links to the file).
    bool Write(const std::string& bytes);
    // Held from a read to the write that follows it, so that another copy of the game saving the same
    // record meanwhile waits, and its save is read rather than written over. A save that goes ahead
    // without it is said once: another copy held it too long, or no lock can be had at all.
    TStoredRecordLock Lock();

    std::string Location() const;
    // False once a damaged record could not be moved aside: it is never written over.
    bool Writable() const { return writable; }

private:
    void SetAside(const std::string& why);
    void NoteNotSaved(const std::string& why);

    TStorageArea area;
    std::string name;
    std::string what;
    size_t maxBytes;
    // A damaged record that could not be moved aside is never written over: it may be the player's
    // only copy of something this program cannot read (one made by a newer version, say).
    bool writable = true;
    bool saidNotSaved = false;
    bool saidStuck = false;   // that the damaged record cannot be moved aside
    bool saidNote = false;
    bool saidUnlocked = false;
};
