// Storage in the browser: each record is one item of the page's local storage, under the key
// "calcadia/data/NAME" or "calcadia/config/NAME". A single setItem replaces an item whole, so a reader
// sees the old record or the new one, never a mix, even when the tab is closed half-way through.
//
// Local storage keeps text (UTF-16), and a record is bytes. Each byte is kept as the one character of
// the same number (0 to 255), so every byte comes back as it went in, and a record of plain text reads
// as that text in the browser's own storage viewer. An item holding a character above 255 was not
// written here: it is unreadable, and set aside like a damaged file.
//
// A page may have no local storage at all (turned off, a private window that throws on every use, a
// full quota): reads then find nothing, and a write says why it failed, which the game reports once.
//
// Local storage has no lock that a page's code can wait on, so TStoredRecordLock holds nothing here. A
// record's read, change and write follow each other within one call into the page, without a flush to
// disk in between: two tabs would have to end a run within microseconds of each other to lose one.
#include "platform/Storage.h"

#include <emscripten.h>

#include <string>

// What the item under key holds, kept on the JavaScript side for WebStorageTake: its length in bytes,
// or -1 when there is none, -2 when there is no storage to ask, -3 when it is longer than maxBytes and
// -4 when it holds something other than bytes. One getItem, so the length and the bytes taken belong
// to the same record even when another tab writes in between.
EM_JS(double, WebStorageFetch, (const char* key, double maxBytes), {
    var text;
    try {
        text = window.localStorage.getItem(UTF8ToString(key));
    } catch (e) {
        return -2;
    }
    if (text === null)
        return -1;
    if (text.length > maxBytes)
        return -3;
    for (var i = 0; i < text.length; ++i)
        if (text.charCodeAt(i) > 255)
            return -4;
    Module.storageFetched = text;
    return text.length;
});

// Copies the record WebStorageFetch found into bytes (as many as it said).
EM_JS(void, WebStorageTake, (char* bytes), {
    var text = Module.storageFetched;
    Module.storageFetched = null;
    for (var i = 0; i < text.length; ++i)
        HEAPU8[bytes + i] = text.charCodeAt(i);
});

// Stores size bytes under key. Empty on success; otherwise why not, written into problem.
EM_JS(void, WebStorageStore, (const char* key, const char* bytes, double size, char* problem, int problemSize), {
    // In slices: a call takes only so many arguments.
    var parts = [];
    for (var at = 0; at < size; at += 8192)
        parts.push(String.fromCharCode.apply(null, HEAPU8.subarray(bytes + at, bytes + Math.min(at + 8192, size))));
    var why = "";
    try {
        window.localStorage.setItem(UTF8ToString(key), parts.join(""));
    } catch (e) {
        why = e && e.name === "QuotaExceededError" ? "the browser's local storage for this page is full"
                                                   : "the browser keeps no local storage for this page (" +
                                                         String(e && e.message || e) + ")";
    }
    stringToUTF8(why, problem, problemSize);
});

// Moves the item under key to the first free key + ".bad.N"; that N, or 0 when it could not be moved.
EM_JS(int, WebStorageSetAside, (const char* key), {
    try {
        var store = window.localStorage;
        var from = UTF8ToString(key);
        var text = store.getItem(from);
        if (text === null)
            return 0;
        for (var n = 1; n <= 1000; ++n) {
            if (store.getItem(from + ".bad." + n) !== null)
                continue;
            // Copied before it is removed: a failure in between leaves the record in both places, never
            // in neither.
            store.setItem(from + ".bad." + n, text);
            store.removeItem(from);
            return n;
        }
    } catch (e) {
    }
    return 0;
});

EM_JS(int, WebStorageAvailable, (), {
    try {
        return window.localStorage ? 1 : 0;
    } catch (e) {
        return 0;
    }
});

namespace {

std::string Key(TStorageArea area, const std::string& name)
{
    return std::string("calcadia/") + (area == TStorageArea::DATA ? "data/" : "config/") + name;
}

std::string Location(const std::string& key) { return "browser local storage: " + key; }

}  // namespace

std::string StoredRecordLocation(TStorageArea area, const std::string& name)
{
    return WebStorageAvailable() ? Location(Key(area, name)) : std::string();
}

TStoredRecord ReadStoredRecord(TStorageArea area, const std::string& name, size_t maxBytes)
{
    TStoredRecord record;
    const double size = WebStorageFetch(Key(area, name).c_str(), double(maxBytes));
    if (size >= 0) {
        record.state = TStoredRecord::FOUND;
        record.bytes.resize(size_t(size));
        WebStorageTake(record.bytes.data());
    } else if (size == -3) {
        record.state = TStoredRecord::UNREADABLE;
        record.problem = "larger than " + std::to_string(maxBytes) + " bytes";
    } else if (size == -4) {
        record.state = TStoredRecord::UNREADABLE;
        record.problem = "it holds text this game never writes";
    }
    return record;
}

TStoredRecordLock::TStoredRecordLock(TStorageArea, const std::string&) {}

TStoredRecordLock::~TStoredRecordLock() {}

TStoredRecordLock::TStoredRecordLock(TStoredRecordLock&&) noexcept {}

std::string WriteStoredRecord(TStorageArea area, const std::string& name, const std::string& bytes, std::string*)
{
    char problem[256] = {};
    WebStorageStore(Key(area, name).c_str(), bytes.data(), double(bytes.size()), problem, int(sizeof problem));
    return problem;
}

std::string SetStoredRecordAside(TStorageArea area, const std::string& name)
{
    const std::string key = Key(area, name);
    const int n = WebStorageSetAside(key.c_str());
    return n > 0 ? Location(key + ".bad." + std::to_string(n)) : std::string();
}
