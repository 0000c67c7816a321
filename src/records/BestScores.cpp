// BestScores - the table of best runs and its text form:
//
//   calcadia best scores 1
//   <mode> <score> <level> <YYYY-MM-DD>          one line per kept run, best first within a mode
//   end <checksum>
//
// The checksum (FNV-1a, 32 bits, eight hex digits) covers every byte before the end line. Files are
// replaced whole when saved, so a table that does not read back exactly is damaged, not half-new.
#include "records/BestScores.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <sstream>

namespace {

const char* const HEADER = "calcadia best scores 1\n";
// Follows the profile's mode numbers: row k of a mode's section is mode k.
const char* const MODE_KEYS[] = {"addition", "subtraction", "multiplication", "division", "all"};

uint32_t Checksum(const std::string& text, size_t length)
{
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i) {
        hash ^= uint8_t(text[i]);
        hash *= 16777619u;
    }
    return hash;
}

// Plain decimal digits only (no sign, no blanks), at most maxDigits of them.
bool ParseNumber(const std::string& word, int maxDigits, int& value)
{
    if (word.empty() || int(word.size()) > maxDigits)
        return false;
    long long v = 0;
    for (char c : word) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (v > 2147483647)
        return false;
    value = int(v);
    return true;
}

bool IsDate(const std::string& word)
{
    if (word.size() != 10 || word[4] != '-' || word[7] != '-')
        return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (word[i] < '0' || word[i] > '9')
            return false;
    const int month = (word[5] - '0') * 10 + (word[6] - '0');
    const int day = (word[8] - '0') * 10 + (word[9] - '0');
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

}  // namespace

std::optional<TBestScores> TBestScores::Parse(const std::string& text, std::string& why)
{
    const std::string header = HEADER;
    if (text.compare(0, header.size(), header) != 0) {
        why = text.empty() ? "empty" : "not a best-score table";
        return std::nullopt;
    }
    // The end line is the last one, and nothing may follow it.
    const size_t endLine = text.rfind("end ");
    if (endLine == std::string::npos || endLine < header.size() || text[endLine - 1] != '\n' ||
        text.size() != endLine + 13 || text.back() != '\n') {
        why = "cut short";
        return std::nullopt;
    }
    char expected[9];
    std::snprintf(expected, sizeof expected, "%08x", Checksum(text, endLine));
    if (text.compare(endLine + 4, 8, expected) != 0) {
        why = "damaged (its checksum does not match)";
        return std::nullopt;
    }

    TBestScores table;
    std::istringstream lines(text.substr(header.size(), endLine - header.size()));
    std::string line;
    int lineNumber = 1;
    while (std::getline(lines, line)) {
        ++lineNumber;
        std::istringstream words(line);
        std::string key, score, level, date, extra;
        words >> key >> score >> level >> date;
        const auto mode = std::find(std::begin(MODE_KEYS), std::end(MODE_KEYS), key) - std::begin(MODE_KEYS);
        TBestScore run;
        if (mode >= MODE_COUNT || !ParseNumber(score, 10, run.score) || !ParseNumber(level, 6, run.level) ||
            run.level < 1 || !IsDate(date) || (words >> extra) || line != key + " " + score + " " + level + " " + date) {
            why = "line " + std::to_string(lineNumber) + " is not a kept run";
            return std::nullopt;
        }
        run.date = date;
        if (int(table.modes[mode].size()) == KEPT) {
            why = "more than " + std::to_string(KEPT) + " runs of one mode";
            return std::nullopt;
        }
        table.modes[mode].push_back(run);
    }
    // Written best first; sorted again so that a table ordered otherwise still reads as one.
    for (auto& runs : table.modes)
        std::stable_sort(runs.begin(), runs.end(),
                         [](const TBestScore& a, const TBestScore& b) { return a.score > b.score; });
    return table;
}

std::string TBestScores::Format() const
{
    std::string text = HEADER;
    for (int mode = 0; mode < MODE_COUNT; ++mode)
        for (const TBestScore& run : modes[mode])
            text += std::string(MODE_KEYS[mode]) + " " + std::to_string(run.score) + " " +
                    std::to_string(run.level) + " " + run.date + "\n";
    char end[16];
    std::snprintf(end, sizeof end, "end %08x\n", Checksum(text, text.size()));
    return text + end;
}

int TBestScores::Add(int mode, const TBestScore& run)
{
    if (mode < 0 || mode >= MODE_COUNT || run.score <= 0)
        return -1;
    std::vector<TBestScore>& runs = modes[mode];
    // After every run with an equal score: the earlier run keeps its place.
    const auto place = std::find_if(runs.begin(), runs.end(),
                                    [&](const TBestScore& kept) { return run.score > kept.score; });
    const int index = int(place - runs.begin());
    if (index >= KEPT)
        return -1;
    runs.insert(place, run);
    if (int(runs.size()) > KEPT)
        runs.resize(KEPT);
    return index;
}

int TBestScores::Best(int mode) const
{
    if (mode < 0 || mode >= MODE_COUNT || modes[mode].empty())
        return 0;
    return modes[mode].front().score;
}
