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
std::string WriteStoredRecord(TStorageArea area, const std::string& name, const std::string& bytes);
// Moves a damaged record out of the way, to the first free name of the form NAME.bad.N, so that it is
// kept for a look but never read again. The new location, or empty when it could not be moved.
std::string SetStoredRecordAside(TStorageArea area, const std::string& name);
// Where the record lives, for messages and help texts (a path natively); empty when there is nowhere
// to keep records at all (no home folder).
std::string StoredRecordLocation(TStorageArea area, const std::string& name);
