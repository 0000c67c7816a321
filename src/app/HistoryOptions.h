// HistoryOptions - the command line of the history of answers: whose answers a launch keeps, whether it
// keeps any, and the teacher's report.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct THistoryOptions {
    bool keep = true;                     // --no-history: this launch keeps no answers
    std::optional<std::string> player;    // --player NAME; without it the answers are the unnamed player's
    std::string report;                   // --report[=text|csv|html]: print the report rather than play
    std::string reportFile;               // the page --report=html writes
    std::string since;                    // --since YYYY-MM-DD: the report's first day
};

// Reads the option at args[i] when it is one of the history's (moving i past a value it takes from the
// next argument): 0 once read, the exit code of bad(why, what) when it is wrong; nothing when the
// option is not the history's.
std::optional<int> ParseHistoryOption(const std::vector<std::string>& args, size_t& i, const std::string& option,
                                      const std::optional<std::string>& value, THistoryOptions& options,
                                      const std::function<int(const char*, const std::string&)>& bad);
// The help's rows for these options, laid out by row(name, text).
std::string HistoryUsageRows(const std::function<std::string(const std::string&, const std::string&)>& row);
// The history's name in the help's list of files.
std::string HistoryFileName();
// --report: prints the report (or writes its page); the program's exit code.
int RunReportCommand(const THistoryOptions& options);
