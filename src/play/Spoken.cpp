// Spoken - questions and numbers as the spoken mode says them.
#include "play/Spoken.h"

#include <sstream>

#include "platform/Language.h"

std::string SpokenQuestion(const std::string& question)
{
    std::istringstream words(question);
    std::string a, sign, b, equals, more;
    if (!(words >> a >> sign >> b >> equals) || (words >> more) || equals != "=")
        return question;
    // TRANSLATORS: the four operations as a voice reads a question aloud, between its two numbers:
    // "7 plus 3", "7 minus 3", "7 times 3", "21 divided by 3".
    const char* said = sign == "+"   ? Translate("plus")
                       : sign == "-" ? Translate("minus")
                       : sign == "x" ? Translate("times")
                       : sign == "/" ? Translate("divided by")
                                     : nullptr;
    return said ? a + " " + said + " " + b : question;
}

std::string SpokenNumber(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return text;
    const size_t first = text.find_first_not_of('0');
    return first == std::string::npos ? "0" : text.substr(first);
}

std::string SpokenSentences(const std::string& first, const std::string& second)
{
    if (first.empty() || second.empty())
        return first + second;
    // A sentence that already ends ("TIME UP!", "Right.") keeps its own mark.
    const char last = first.back();
    return first + (last == '.' || last == '!' || last == '?' || last == ':' ? " " : ". ") + second;
}
