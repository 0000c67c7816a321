// Report - the teacher's report from the history of answers: for each player and mode the runs, the
// questions, the share right, the median time, the highest level and the facts most often missed and
// slowest, and each day's figures; printed as text, as CSV (one row an answer) or as a page.
#pragma once

#include <string>
#include <vector>

#include "records/History.h"

// One fact as shown, without its " =" ("7 x 8"), and how it went.
struct TFactFigures {
    std::string fact;
    int asked = 0;
    int right = 0;
    double medianSeconds = 0.0;   // over the answers given (right or wrong); a time-up gave none
    int Missed() const { return asked - right; }
};

struct TModeFigures {
    int mode = 0;
    int runs = 0;
    int questions = 0;            // every answer kept, time-ups included
    int right = 0;
    double medianSeconds = 0.0;
    int highestLevel = 0;
    std::vector<TFactFigures> mostMissed;   // most missed first, at most REPORT_LISTED
    std::vector<TFactFigures> slowest;      // slowest first, at most REPORT_LISTED
};

struct TDayFigures {
    std::string day;              // YYYY-MM-DD
    int questions = 0;
    int right = 0;
    double medianSeconds = 0.0;
};

struct TPlayerFigures {
    std::string player;           // "" for the unnamed player
    std::vector<TModeFigures> modes;    // in mode order, only the modes played
    std::vector<TDayFigures> days;      // oldest first
    std::vector<TFactFigures> facts;    // every fact asked, in any mode, in the order first asked
};

constexpr size_t REPORT_LISTED = 5;

// The figures of each player, in the order the players first answered.
std::vector<TPlayerFigures> ReportFigures(const std::vector<THistoryAnswer>& answers);
std::string ReportText(const std::vector<TPlayerFigures>& players, const std::string& since);
// One row an answer, with a header row; text that a spreadsheet would take for a formula is quoted.
std::string ReportCsv(const std::vector<THistoryAnswer>& answers);
// One page that needs nothing else: its style in the page, its charts drawn in SVG, no script.
std::string ReportPage(const std::vector<TPlayerFigures>& players, const std::string& since);

// The name a player is shown by: the unnamed player gets one.
std::string ShownPlayer(const std::string& player);
// The mode's name in the player's language.
std::string ShownMode(int mode);
// A fact's figures in words: "7 x 8: wrong 4 of 5", "8 x 7: 6.1 s".
std::string MissedText(const TFactFigures& fact);
std::string SlowText(const TFactFigures& fact);
std::string SecondsText(double seconds);

// --report: reads the history at path (since and player narrowing it when given) and prints or writes
// the report in format (text, csv, html; html into file). The exit code; what to print in out and err.
int RunReport(const std::string& path, const std::string& format, const std::string& file,
              const std::string& since, const std::string* player, std::string& out, std::string& err);
