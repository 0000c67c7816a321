// Report - the figures from the history, and their text and CSV forms.
#include "records/Report.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>

#include "platform/Language.h"

namespace {

const char* const MODE_NAMES[] = {ToTranslate("Addition"), ToTranslate("Subtraction"), ToTranslate("Multiplication"),
                                  ToTranslate("Division"), ToTranslate("All of the Above")};
const char* const OUTCOMES[] = {"right", "wrong", "time-up"};

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t half = values.size() / 2;
    return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2.0;
}

std::string FactOf(const std::string& question)
{
    const std::string tail = " =";
    if (question.size() >= tail.size() && question.compare(question.size() - tail.size(), tail.size(), tail) == 0)
        return question.substr(0, question.size() - tail.size());
    return question;
}

// Answers gathered under one key: the counts and the times to take a median of.
struct TTally {
    int asked = 0, right = 0;
    std::vector<double> times;
    void Add(const THistoryAnswer& a)
    {
        ++asked;
        right += a.outcome == THistoryAnswer::RIGHT;
        if (a.outcome != THistoryAnswer::TIME_UP)
            times.push_back(a.seconds);
    }
};

std::vector<TFactFigures> Facts(const std::vector<std::string>& order, const std::map<std::string, TTally>& tallies)
{
    std::vector<TFactFigures> facts;
    for (const std::string& fact : order) {
        const TTally& t = tallies.at(fact);
        facts.push_back({fact, t.asked, t.right, Median(t.times)});
    }
    return facts;
}

// Replaces each %s of pattern by the next of values, in order.
std::string Fill(const std::string& pattern, const std::vector<std::string>& values)
{
    std::string text;
    size_t next = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's') {
            text += next < values.size() ? values[next++] : std::string();
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

std::string Percent(int part, int whole)
{
    return std::to_string(whole ? (part * 100 + whole / 2) / whole : 0) + "%";
}

std::string CsvField(const std::string& text)
{
    // A leading = + - @ makes a spreadsheet read the cell as a formula; a quote before it keeps it text.
    // Questions and answers never begin so; a player's name might.
    const bool formula = !text.empty() && std::string("=+-@\t\r").find(text[0]) != std::string::npos;
    const std::string value = formula ? "'" + text : text;
    if (value.find_first_of(",\"\r\n") == std::string::npos)
        return value;
    std::string quoted = "\"";
    for (char c : value)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

std::vector<TPlayerFigures> ReportFigures(const std::vector<THistoryAnswer>& answers)
{
    struct TModeTally {
        std::vector<int64_t> runs;
        TTally all;
        int highestLevel = 0;
        std::vector<std::string> order;
        std::map<std::string, TTally> facts;
    };
    struct TPlayerTally {
        std::map<int, TModeTally> modes;
        std::map<std::string, TTally> days;
        std::vector<std::string> order;
        std::map<std::string, TTally> facts;
    };
    std::vector<std::string> players;
    std::map<std::string, TPlayerTally> tallies;
    for (const THistoryAnswer& a : answers) {
        if (!tallies.count(a.player))
            players.push_back(a.player);
        TPlayerTally& p = tallies[a.player];
        TModeTally& m = p.modes[a.mode];
        if (std::find(m.runs.begin(), m.runs.end(), a.run) == m.runs.end())
            m.runs.push_back(a.run);
        m.all.Add(a);
        m.highestLevel = std::max(m.highestLevel, a.level);
        const std::string fact = FactOf(a.question);
        if (!m.facts.count(fact))
            m.order.push_back(fact);
        m.facts[fact].Add(a);
        if (!p.facts.count(fact))
            p.order.push_back(fact);
        p.facts[fact].Add(a);
        p.days[a.time.substr(0, 10)].Add(a);
    }
    std::vector<TPlayerFigures> figures;
    for (const std::string& name : players) {
        const TPlayerTally& p = tallies[name];
        TPlayerFigures& f = figures.emplace_back();
        f.player = name;
        for (const auto& [mode, m] : p.modes) {
            TModeFigures& mf = f.modes.emplace_back();
            mf.mode = mode;
            mf.runs = int(m.runs.size());
            mf.questions = m.all.asked;
            mf.right = m.all.right;
            mf.medianSeconds = Median(m.all.times);
            mf.highestLevel = m.highestLevel;
            const std::vector<TFactFigures> facts = Facts(m.order, m.facts);
            // Stable sorts: among equals, the fact first asked comes first.
            for (const TFactFigures& fact : facts)
                if (fact.Missed() > 0)
                    mf.mostMissed.push_back(fact);
            std::stable_sort(mf.mostMissed.begin(), mf.mostMissed.end(), [](const auto& a, const auto& b) {
                return a.Missed() != b.Missed() ? a.Missed() > b.Missed() : a.right * b.asked < b.right * a.asked;
            });
            for (const TFactFigures& fact : facts)
                // Only the facts with an answer given: a time-up has no time to compare.
                if (fact.medianSeconds > 0.0)
                    mf.slowest.push_back(fact);
            std::stable_sort(mf.slowest.begin(), mf.slowest.end(),
                             [](const auto& a, const auto& b) { return a.medianSeconds > b.medianSeconds; });
            if (mf.mostMissed.size() > REPORT_LISTED)
                mf.mostMissed.resize(REPORT_LISTED);
            if (mf.slowest.size() > REPORT_LISTED)
                mf.slowest.resize(REPORT_LISTED);
        }
        for (const auto& [day, t] : p.days)
            f.days.push_back({day, t.asked, t.right, Median(t.times)});
        f.facts = Facts(p.order, p.facts);
    }
    return figures;
}

std::string ShownPlayer(const std::string& player)
{
    // TRANSLATORS: in the report, the player of a launch without --player NAME.
    return player.empty() ? std::string(Translate("(no name)")) : player;
}

std::string ShownMode(int mode)
{
    return Translate(MODE_NAMES[mode >= 0 && mode <= 4 ? mode : 0]);
}

std::string SecondsText(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", seconds);
    // TRANSLATORS: a time in seconds, such as 2.4 s.
    return TranslateWith("%s s", LocalDecimal(text));
}

std::string MissedText(const TFactFigures& fact)
{
    // TRANSLATORS: in the report, a fact the player often gets wrong: "7 x 8: wrong 4 of 5".
    return Fill(Translate("%s: wrong %s of %s"), {fact.fact, std::to_string(fact.Missed()), std::to_string(fact.asked)});
}

std::string SlowText(const TFactFigures& fact)
{
    return fact.fact + ": " + SecondsText(fact.medianSeconds);
}

std::string ReportText(const std::vector<TPlayerFigures>& players, const std::string& since)
{
    std::string text = since.empty() ? std::string(Translate("Calcadia: every answer kept"))
                                     : TranslateWith("Calcadia: the answers from %s on", since);
    text += "\n";
    if (players.empty())
        return text + Translate("No answers kept yet.") + "\n";
    for (const TPlayerFigures& p : players) {
        text += "\n" + ShownPlayer(p.player) + "\n";
        for (const TModeFigures& m : p.modes) {
            // TRANSLATORS: one line of the report: a mode, its runs ("3 runs"), questions ("45 questions"), share
            // right, median time and highest level.
            text += "  " + Fill(Translate("%s: %s, %s, %s right, median time %s, highest level %s"),
                                {ShownMode(m.mode), TranslateCount("%d run", "%d runs", m.runs),
                                 TranslateCount("%d question", "%d questions", m.questions),
                                 Percent(m.right, m.questions), SecondsText(m.medianSeconds),
                                 std::to_string(m.highestLevel)}) + "\n";
            const auto list = [&](const char* label, const std::vector<TFactFigures>& facts, auto show) {
                if (facts.empty())
                    return;
                text += std::string("    ") + Translate(label);
                for (size_t i = 0; i < facts.size(); ++i)
                    text += (i ? "; " : " ") + show(facts[i]);
                text += "\n";
            };
            list(ToTranslate("most missed:"), m.mostMissed, MissedText);
            list(ToTranslate("slowest:"), m.slowest, SlowText);
        }
    }
    return text;
}

std::string ReportCsv(const std::vector<THistoryAnswer>& answers)
{
    std::string csv = "time,player,run,mode,level,question,answer,outcome,frames,seconds\r\n";
    const char* const modes[] = {"addition", "subtraction", "multiplication", "division", "all"};
    for (const THistoryAnswer& a : answers) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.3f", a.seconds);
        csv += CsvField(a.time) + "," + CsvField(a.player) + "," + std::to_string(a.run) + "," +
               modes[a.mode >= 0 && a.mode <= 4 ? a.mode : 0] + "," + std::to_string(a.level) + "," +
               CsvField(a.question) + "," + CsvField(a.typed) + "," + OUTCOMES[a.outcome] + "," +
               std::to_string(a.frames) + "," + seconds + "\r\n";
    }
    return csv;
}

int RunReport(const std::string& path, const std::string& format, const std::string& file,
              const std::string& since, const std::string* player, std::string& out, std::string& err)
{
    std::vector<THistoryAnswer> answers;
    std::string why;
    if (!ReadHistory(path, since, player, answers, why)) {
        err = "calcadia: " + TranslateWith("cannot read the history of answers: %s", why) + "\n";
        return 1;
    }
    if (format == "csv") {
        out = ReportCsv(answers);
        return 0;
    }
    const std::vector<TPlayerFigures> figures = ReportFigures(answers);
    if (format != "html") {
        out = ReportText(figures, since);
        return 0;
    }
    const std::string page = ReportPage(figures, since);
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream << page;
    stream.close();
    if (!stream) {
        err = "calcadia: " + TranslateWith("cannot write the report to %s", file) + "\n";
        return 1;
    }
    return 0;
}
