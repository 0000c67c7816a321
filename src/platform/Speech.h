// Speech - words said aloud, for a player who cannot read the screen, with whatever voice the system
// offers the player. Where there is none, nothing is heard and nothing else changes.
#pragma once

#include <string>

// Says the words after whatever is still being said. Returns at once: the frame never waits for a
// voice, nor for a speech service that is slow to answer or not there at all.
void Speak(const std::string& words);
