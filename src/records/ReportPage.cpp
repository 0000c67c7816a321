// ReportPage - the report as one page a teacher opens, prints or sends: the figures of each player and
// mode, each operation's facts as a grid coloured by how often and how quickly they come right, and the
// days' trend as a bar chart. Everything is in the one file: its style, its SVG, no script and nothing
// fetched, so it reads the same offline, in a mail and on paper. A colour never stands alone: each
// cell also carries a sign and its count, so a black-and-white print or a high-contrast screen loses
// nothing.
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "platform/Language.h"
#include "records/Report.h"

namespace {

// A fact known: right at least this share of the times, and no slower than this (median).
constexpr double KNOWN_SHARE = 0.9;
constexpr double QUICK_SECONDS = 3.0;
// The grids show at least the ten times table, and grow with the operands asked up to this.
constexpr int GRID_MIN = 10, GRID_MAX = 20;
// The trend shows the most recent days.
constexpr size_t TREND_DAYS = 60;

const char* const STYLE =
    "body{font-family:sans-serif;color:#000;background:#fff;margin:1.5em;max-width:70em}"
    "h1{font-size:1.6em}h2{font-size:1.35em;border-bottom:2px solid #000;margin-top:2em}h3{font-size:1.1em}"
    "table{border-collapse:collapse;margin:.5em 0}"
    "th,td{border:1px solid #444;padding:.25em .5em;text-align:right}"
    "th{background:#eee}td.text,th.text{text-align:left}"
    "table.grid td,table.grid th{min-width:3.4em;height:2.6em;padding:0 .1em;text-align:center;font-size:.85em;"
    "white-space:nowrap}"
    "table.grid td b{display:block;font-size:1.15em}"
    // Darker the less a fact is known, so that a grey print keeps the order; black text on each at a
    // contrast of 5.9 to 1 or more.
    ".known{background:#d9f2d0}.slow{background:#f3dc6a}.shaky{background:#ee9a4a}"
    ".missed{background:#dd5f5f}.none{background:#fff;color:#555}.never{background:#bbb}"
    ".legend span{display:inline-block;border:1px solid #444;padding:.1em .5em;margin:.2em}"
    "svg text{font-family:sans-serif;font-size:11px}"
    "@media print{*{-webkit-print-color-adjust:exact;print-color-adjust:exact}h2{break-before:page}"
    "table.grid{break-inside:avoid}}"
    "@media (forced-colors:active){td,th,.legend span{border:2px solid CanvasText}}";

std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Percent(int part, int whole)
{
    return std::to_string(whole ? (part * 100 + whole / 2) / whole : 0) + "%";
}

struct TKind {
    const char* css;
    const char* sign;
    const char* meaning;
};
const TKind KINDS[] = {
    {"known", "\u2713", ToTranslate("known: right 9 times in 10 or more, in 3 seconds or less")},
    {"slow", "~", ToTranslate("slow: right 9 times in 10 or more, but slower than 3 seconds")},
    {"shaky", "?", ToTranslate("shaky: right at least half the time")},
    {"missed", "\u2717", ToTranslate("missed: wrong more often than right")},
    {"none", "", ToTranslate("not asked yet")},
};

const TKind& KindOf(const TFactFigures& fact)
{
    const double share = double(fact.right) / double(fact.asked);
    if (share >= KNOWN_SHARE)
        return KINDS[fact.medianSeconds <= QUICK_SECONDS ? 0 : 1];
    return KINDS[share >= 0.5 ? 2 : 3];
}

// A fact "a op b" read back from its text; false for anything else.
bool ReadFact(const std::string& fact, char& op, int& a, int& b)
{
    char sign = 0;
    if (std::sscanf(fact.c_str(), "%d %c %d", &a, &sign, &b) != 3)
        return false;
    op = sign;
    return (op == '+' || op == '-' || op == 'x' || op == '/') && a >= 0 && b > 0;
}

struct TGridOperation {
    char op;
    const char* title;
    const char* corner;
};
const TGridOperation OPERATIONS[] = {
    {'x', ToTranslate("Times tables"), "\u00d7"},
    {'/', ToTranslate("Division: the divisor down the side, the answer along the top"), "\u00f7"},
    {'+', ToTranslate("Addition"), "+"},
    {'-', ToTranslate("Subtraction: the number taken away along the top"), "\u2212"},
};

// The grid of one operation: row and column are the two numbers a teacher reads a table by (the
// operands; for division the divisor and the answer), the cell shows the result the child gives.
std::string Grid(const TGridOperation& operation, const std::vector<TFactFigures>& facts)
{
    std::map<std::pair<int, int>, const TFactFigures*> cells;
    int size = 0;
    for (const TFactFigures& fact : facts) {
        char op = 0;
        int a = 0, b = 0;
        if (!ReadFact(fact.fact, op, a, b) || op != operation.op)
            continue;
        // Division is asked as (a x b) / b: along the top the answer, down the side the divisor.
        const int row = op == '/' ? b : a, column = op == '/' ? a / b : b;
        if (row < 1 || column < 1 || row > GRID_MAX || column > GRID_MAX)
            continue;
        cells[{row, column}] = &fact;
        size = std::max({size, row, column});
    }
    if (cells.empty())
        return "";
    size = std::max(size, GRID_MIN);
    std::string html = "<h3>" + Escaped(Translate(operation.title)) + "</h3>\n<table class=\"grid\">\n<tr><th>" +
                       operation.corner + "</th>";
    for (int column = 1; column <= size; ++column)
        html += "<th>" + std::to_string(column) + "</th>";
    html += "</tr>\n";
    for (int row = 1; row <= size; ++row) {
        html += "<tr><th>" + std::to_string(row) + "</th>";
        for (int column = 1; column <= size; ++column) {
            const auto found = cells.find({row, column});
            if (operation.op == '-' && column > row) {
                html += "<td class=\"never\"></td>";
                continue;
            }
            const int result = operation.op == 'x' ? row * column
                               : operation.op == '/' ? row * column
                               : operation.op == '+' ? row + column
                                                     : row - column;
            if (found == cells.end()) {
                html += "<td class=\"none\">" + std::to_string(result) + "</td>";
                continue;
            }
            const TFactFigures& fact = *found->second;
            const TKind& kind = KindOf(fact);
            html += std::string("<td class=\"") + kind.css + "\" title=\"" +
                    Escaped(fact.fact + ": " + std::to_string(fact.right) + "/" + std::to_string(fact.asked) +
                            (fact.medianSeconds > 0.0 ? ", " + SecondsText(fact.medianSeconds) : "")) +
                    "\"><b>" + std::to_string(result) + "</b>" + kind.sign + " " + std::to_string(fact.right) + "/" +
                    std::to_string(fact.asked) + "</td>";
        }
        html += "</tr>\n";
    }
    return html + "</table>\n";
}

std::string Legend()
{
    std::string html = "<p class=\"legend\">";
    for (const TKind& kind : KINDS)
        html += std::string("<span class=\"") + kind.css + "\">" + kind.sign + (*kind.sign ? " " : "") + Escaped(Translate(kind.meaning)) + "</span>";
    // TRANSLATORS: in the report's legend: what the numbers in a cell of the grid mean.
    return html + "<br>" + Escaped(Translate("In each cell: the result, then right answers / times asked.")) + "</p>\n";
}

// The days as bars of the share right, the most recent TREND_DAYS, with each day's figures below.
std::string Trend(const std::vector<TDayFigures>& allDays)
{
    const std::vector<TDayFigures> days(allDays.size() > TREND_DAYS ? allDays.end() - TREND_DAYS : allDays.begin(),
                                        allDays.end());
    constexpr int BAR = 28, GAP = 8, HEIGHT = 120, TOP = 18, BOTTOM = 34;
    const int width = int(days.size()) * (BAR + GAP) + GAP;
    std::string html = "<h3>" + Escaped(Translate("Day by day")) + "</h3>\n<svg role=\"img\" width=\"" +
                       std::to_string(width) + "\" height=\"" + std::to_string(TOP + HEIGHT + BOTTOM) +
                       "\" viewBox=\"0 0 " + std::to_string(width) + " " + std::to_string(TOP + HEIGHT + BOTTOM) +
                       "\" xmlns=\"http://www.w3.org/2000/svg\">\n<title>" +
                       Escaped(Translate("Share of right answers, day by day")) + "</title>\n" +
                       "<line x1=\"0\" y1=\"" + std::to_string(TOP + HEIGHT) + "\" x2=\"" + std::to_string(width) +
                       "\" y2=\"" + std::to_string(TOP + HEIGHT) + "\" stroke=\"#000\"/>\n";
    for (size_t i = 0; i < days.size(); ++i) {
        const TDayFigures& d = days[i];
        const int x = GAP + int(i) * (BAR + GAP);
        const int h = d.questions ? HEIGHT * d.right / d.questions : 0;
        html += "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(TOP + HEIGHT - h) + "\" width=\"" +
                std::to_string(BAR) + "\" height=\"" + std::to_string(h) +
                "\" fill=\"#4a7fc1\" stroke=\"#000\"/>\n<text x=\"" + std::to_string(x + BAR / 2) + "\" y=\"" +
                std::to_string(TOP + HEIGHT - h - 4) + "\" text-anchor=\"middle\">" + Percent(d.right, d.questions) +
                "</text>\n<text x=\"" + std::to_string(x + BAR / 2) + "\" y=\"" + std::to_string(TOP + HEIGHT + 14) +
                "\" text-anchor=\"middle\">" + Escaped(d.day.substr(5)) + "</text>\n";
    }
    html += "</svg>\n<table>\n<tr><th class=\"text\">" + Escaped(Translate("Day")) + "</th><th>" +
            Escaped(Translate("Questions")) + "</th><th>" + Escaped(Translate("Right")) + "</th><th>" +
            Escaped(Translate("Median time")) + "</th></tr>\n";
    for (const TDayFigures& d : days)
        html += "<tr><td class=\"text\">" + Escaped(d.day) + "</td><td>" + std::to_string(d.questions) + "</td><td>" +
                Percent(d.right, d.questions) + "</td><td>" + Escaped(SecondsText(d.medianSeconds)) + "</td></tr>\n";
    return html + "</table>\n";
}

std::string Summary(const TPlayerFigures& p)
{
    std::string html = "<table>\n<tr><th class=\"text\">" + Escaped(Translate("Mode")) + "</th><th>" +
                       Escaped(Translate("Runs")) + "</th><th>" + Escaped(Translate("Questions")) + "</th><th>" +
                       Escaped(Translate("Right")) + "</th><th>" + Escaped(Translate("Median time")) + "</th><th>" +
                       Escaped(Translate("Highest level")) + "</th><th class=\"text\">" +
                       Escaped(Translate("Most missed")) + "</th><th class=\"text\">" + Escaped(Translate("Slowest")) +
                       "</th></tr>\n";
    for (const TModeFigures& m : p.modes) {
        std::string missed, slowest;
        for (const TFactFigures& f : m.mostMissed)
            missed += (missed.empty() ? "" : "<br>") + Escaped(MissedText(f));
        for (const TFactFigures& f : m.slowest)
            slowest += (slowest.empty() ? "" : "<br>") + Escaped(SlowText(f));
        html += "<tr><td class=\"text\">" + Escaped(ShownMode(m.mode)) + "</td><td>" + std::to_string(m.runs) +
                "</td><td>" + std::to_string(m.questions) + "</td><td>" + Percent(m.right, m.questions) + "</td><td>" +
                Escaped(SecondsText(m.medianSeconds)) + "</td><td>" + std::to_string(m.highestLevel) +
                "</td><td class=\"text\">" + missed + "</td><td class=\"text\">" + slowest + "</td></tr>\n";
    }
    return html + "</table>\n";
}

std::string LanguageTag()
{
    std::string tag = CurrentLanguage().empty() ? "en" : CurrentLanguage();
    tag = tag.substr(0, tag.find_first_of(".@"));
    std::replace(tag.begin(), tag.end(), '_', '-');
    return tag;
}

}  // namespace

std::string ReportPage(const std::vector<TPlayerFigures>& players, const std::string& since)
{
    const std::string title = since.empty() ? std::string(Translate("Calcadia: every answer kept"))
                                            : TranslateWith("Calcadia: the answers from %s on", since);
    std::string html = "<!DOCTYPE html>\n<html lang=\"" + Escaped(LanguageTag()) +
                       "\">\n<head>\n<meta charset=\"utf-8\">\n"
                       // Nothing of this page may come from elsewhere, even if a later edit tries.
                       "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
                       "style-src 'unsafe-inline'; img-src data:\">\n"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
                       Escaped(title) + "</title>\n<style>" + STYLE + "</style>\n</head>\n<body>\n<h1>" +
                       Escaped(title) + "</h1>\n";
    if (players.empty())
        return html + "<p>" + Escaped(Translate("No answers kept yet.")) + "</p>\n</body>\n</html>\n";
    html += Legend();
    for (const TPlayerFigures& p : players) {
        html += "<h2>" + Escaped(ShownPlayer(p.player)) + "</h2>\n" + Summary(p);
        for (const TGridOperation& operation : OPERATIONS)
            html += Grid(operation, p.facts);
        html += Trend(p.days);
    }
    return html + "</body>\n</html>\n";
}
