// Preload - files start-up is about to load, read and decoded on a thread of their own while the window
// and its GL context are being made, which is most of a launch; the loaders then take what was made.
#pragma once

#include <functional>
#include <memory>
#include <string>

// What a read made, of the loader's own type; null when the read failed.
using TPreloaded = std::shared_ptr<void>;

// Queues read for the preload thread under key (one loader's key for one file). Only a loader calls
// this, through its own Preload function (PreloadPicture, PreloadFont, PreloadSound).
void QueuePreload(const std::string& key, std::function<TPreloaded()> read);
// Starts the queued reads on a thread of their own, in the order queued. Where there are no threads
// (the browser) they run here, now.
void StartPreloading();
// What was read under key, once its read is done, and forgotten at once; null when nothing was queued
// under key, its read has not started (it is then dropped) or it failed. A loader given null loads the
// file itself as usual, so a file that is missing or damaged fails exactly as it would without the
// preload, at the same moment.
TPreloaded TakePreloaded(const std::string& key);
// Waits for the thread and drops whatever nobody took. The end of start-up calls it, and so does
// exit(), so the thread never outlives the libraries it reads with.
void FinishPreloading();
