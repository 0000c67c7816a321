// Spoken - the words the spoken mode says for what the screen shows: a question as it is read aloud,
// numbers without the zeros that pad them on the screen.
#pragma once

#include <string>

// "7 x 8 =" as it is said: "7 times 8" in the player's language. A text that is not a question comes
// back as it is.
std::string SpokenQuestion(const std::string& question);
// "00036" as "36": a padded number is read digit by digit otherwise. Any other text comes back as it is.
std::string SpokenNumber(const std::string& text);
// Words joined into sentences a voice pauses between: "Get 3 Right" and "1 plus 2" into "Get 3 Right. 1 plus 2".
std::string SpokenSentences(const std::string& first, const std::string& second);
