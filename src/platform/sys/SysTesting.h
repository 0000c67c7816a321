// Sys testing - what tests watch of the files the platform writes, and the random generator's state.
// The game's own code never includes it.
#pragma once

#include <chrono>
#include <functional>
#include <string>

// Hears each step that makes the replacement of a kept record last, as it is taken: "write" (each write
// of the new bytes), "flush" (them to the disk), "rename" (over the old record) and "flush folder" (the
// rename to the disk). An empty function stops the listening.
void WatchStorageSteps(std::function<void(const std::string&)> watcher);
// How long a kept record's lock is waited for before the save goes ahead without it (10 s); a test of
// that wait need not take the whole of it.
void SetStorageLockWait(std::chrono::milliseconds wait);

// The one generator's state, for tests that check its sequence or record where a run left it.
int RandomState();

// Hears every Speak instead of the system's voice, so a test reads the words a run says. An empty
// function gives the words back to the voice.
void ListenToSpeech(std::function<void(const std::string&)> heard);
