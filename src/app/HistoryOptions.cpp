// HistoryOptions - reading --player, --no-history, --report and --since, and their help.
#include "app/HistoryOptions.h"

#include <cstdio>

#include "platform/Language.h"
#include "platform/Text.h"
#include "records/History.h"
#include "records/Report.h"

namespace {

// A name as a class list would write it: any letters in UTF-8, at most 64 bytes, no control characters
// (which would garble the report's lines and the terminal that shows them).
bool GoodPlayer(const std::string& name)
{
    if (name.size() > 64)
        return false;
    // Well-formed UTF-8: it decodes and encodes back to the same bytes.
    std::string again;
    for (char32_t c : DecodeUtf8(name))
        AppendUtf8(again, c);
    if (again != name)
        return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f)
            return false;
    return true;
}

bool Digits(const std::string& text, size_t from, size_t count)
{
    for (size_t i = from; i < from + count; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

// YYYY-MM-DD, a day that exists (February 29 only in leap years).
bool GoodDate(const std::string& text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !Digits(text, 0, 4) || !Digits(text, 5, 2) ||
        !Digits(text, 8, 2))
        return false;
    const int year = std::stoi(text.substr(0, 4)), month = std::stoi(text.substr(5, 2)),
              day = std::stoi(text.substr(8, 2));
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    constexpr int DAYS[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month >= 1 && month <= 12 && day >= 1 && day <= DAYS[month - 1] + (month == 2 && leap);
}

}  // namespace

std::optional<int> ParseHistoryOption(const std::vector<std::string>& args, size_t& i, const std::string& option,
                                      const std::optional<std::string>& value, THistoryOptions& options,
                                      const std::function<int(const char*, const std::string&)>& bad)
{
    if (option == "--no-history" || option == "--report") {
        if (option == "--no-history") {
            if (value)
                return bad(ToTranslate("option %s doesn't allow an argument"), option);
            options.keep = false;
            return 0;
        }
        const std::string format = value.value_or("text");
        if (format != "text" && format != "csv" && format != "html")
            return bad(ToTranslate("bad report %s: text, csv or html"), format);
        options.report = format;
        if (format == "html") {
            // The page goes to a file, which the teacher then opens, prints or sends.
            if (i + 1 == args.size())
                return bad(ToTranslate("option %s requires a file name"), "--report=html");
            options.reportFile = args[++i];
        }
        return 0;
    }
    if (option != "--player" && option != "--since")
        return std::nullopt;
    std::string given;
    if (value) {
        given = *value;
    } else {
        if (i + 1 == args.size())
            return bad(ToTranslate("option %s requires an argument"), option);
        given = args[++i];
    }
    if (option == "--player") {
        if (!GoodPlayer(given))
            return bad(ToTranslate("bad player name %s: at most 64 bytes, without control characters"), given);
        options.player = given;
    } else {
        if (!GoodDate(given))
            return bad(ToTranslate("bad date %s: a day written YYYY-MM-DD"), given);
        options.since = given;
    }
    return 0;
}

std::string HistoryUsageRows(const std::function<std::string(const std::string&, const std::string&)>& row)
{
    return row("--player NAME", Translate("keep this launch's answers under the player's name")) +
           row("--no-history", Translate("keep no history of answers this launch")) +
           row("--report", Translate("print each player's figures from the history of answers, and exit")) +
           row("--report=csv", Translate("print every kept answer as CSV, for a spreadsheet, and exit")) +
           row("--report=html FILE", Translate("write the report as a page to open or print, and exit")) +
           row("--since DATE", Translate("the report starts on this day (YYYY-MM-DD)"));
}

std::string HistoryFileName()
{
    // TRANSLATORS: in the help's list of files, beside "best scores" and "settings": the database of answers.
    return Translate("history");
}

int RunReportCommand(const THistoryOptions& options)
{
    std::string out, err;
    const int code = RunReport(HistoryLocation(), options.report, options.reportFile, options.since,
                               options.player ? &*options.player : nullptr, out, err);
    std::fputs(err.c_str(), stderr);
    // A report that never reached its reader (a full disk, a closed pipe) is a failure a script must see.
    if (!out.empty() && (std::fputs(out.c_str(), stdout) < 0 || std::fflush(stdout) != 0)) {
        std::fprintf(stderr, "calcadia: write error\n");
        return 1;
    }
    return code;
}
