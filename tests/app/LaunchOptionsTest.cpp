// The command line: every option, one line of reason with the way to the help for a bad one, and the help
// or version that cannot be written out.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/LaunchOptions.h"
#include "support/TempHome.h"

TEST(LaunchOptions, EachOptionAndTheUsageOnABadOne)
{
    const auto parse = [](std::vector<std::string> args, TLaunchOptions& options, std::string& out,
                          std::string& err) { return ParseLaunchOptions(args, options, out, err); };
    TLaunchOptions options;
    std::string out, err;
    // Both ends of the seed's range, and each option that takes a value in both forms.
    EXPECT_EQ(parse({"--fullscreen", "--mute", "--seed", "2147483647", "--data=/tmp/../tmp", "--lang", "pt_BR"},
                    options, out, err),
              std::nullopt);
    EXPECT_EQ(options.fullScreen, 1);
    EXPECT_TRUE(options.mute);
    EXPECT_EQ(options.seed, 2147483647);
    EXPECT_EQ(options.dataFolder, "/tmp");
    EXPECT_EQ(options.language, "pt_BR");
    EXPECT_EQ(parse({"--window", "--seed=0", "--lang=de"}, options, out, err), std::nullopt);
    EXPECT_EQ(options.fullScreen, 0);
    EXPECT_EQ(options.seed, 0);
    EXPECT_EQ(options.language, "de");
    EXPECT_EQ(out + err, "");
    EXPECT_EQ(parse({"--more-time", "1.25", "--calm", "--speak"}, options, out, err), std::nullopt);
    EXPECT_EQ(options.timePercent, 125);
    EXPECT_TRUE(options.calm && options.speak);
    EXPECT_EQ(parse({"--more-time=4"}, options, out, err), std::nullopt);
    EXPECT_EQ(options.timePercent, 400);
    // The language is read before the rest, so that the help and the complaints are in it: the last good one.
    EXPECT_EQ(LanguageAsked({"--lang", "fr", "--lang=de", "--lang=x/y"}), "de");
    EXPECT_EQ(LanguageAsked({"--lang=de", "--mute", "--lang", "fr"}), "fr");
    EXPECT_EQ(LanguageAsked({"--seed", "1"}), "");

    EXPECT_EQ(parse({"--version", "--bogus"}, options, out, err), 0);
    EXPECT_EQ(out, "Calcadia 0.51\n");
    EXPECT_EQ(parse({"--help"}, options, out, err), 0);
    EXPECT_EQ(out, UsageText());
    EXPECT_NE(out.find("M                all sound off and on"), std::string::npos);
    EXPECT_NE(out.find("$XDG_DATA_HOME/calcadia/best-scores"), std::string::npos);

    // The reason in one line, and where the help is: nothing scrolls off a terminal. What the line
    // echoes is cut short and never sends the terminal a control character.
    const std::string seed100k(100000, '7');
    const std::vector<std::pair<std::vector<std::string>, std::string>> bads = {
        {{"--bogus"}, "unrecognized option '--bogus'"},
        {{"-x"}, "unrecognized option '-x'"},
        {{"--bogus=1"}, "unrecognized option '--bogus=1'"},
        {{"game"}, "unexpected argument 'game'"},
        {{"--mute", "--", "--window"}, "unexpected argument '--window'"},
        {{"--seed"}, "option '--seed' requires an argument"},
        {{"--mute=yes"}, "option '--mute' doesn't allow an argument"},
        {{"--seed", "-1"}, "bad seed '-1': a whole number from 0 to 2147483647"},
        {{"--seed", "2147483648"}, "bad seed '2147483648': a whole number from 0 to 2147483647"},
        {{"--seed=12ab"}, "bad seed '12ab': a whole number from 0 to 2147483647"},
        {{"--seed", "\x1b]0;owned\x07\x1b[2J\xc2\x9b\\"},
         "bad seed '\\x1b]0;owned\\x07\\x1b[2J\\xc2\\x9b\\\\': a whole number from 0 to 2147483647"},
        {{"--seed", seed100k}, "bad seed '" + seed100k.substr(0, 40) + "...': a whole number from 0 to 2147483647"},
        {{"--data", "/nonexistent/caf\xc3\xa9\xff"}, "no data folder '/nonexistent/caf\xc3\xa9\\xff'"},
        {{"--data="}, "no data folder ''"},
        {{"--more-time", "0.5"}, "bad time factor '0.5': a number from 1 to 4 such as 1.5 or 2"},
        {{"--more-time", "4.01"}, "bad time factor '4.01': a number from 1 to 4 such as 1.5 or 2"},
        {{"--more-time", "1.125"}, "bad time factor '1.125': a number from 1 to 4 such as 1.5 or 2"},
        {{"--more-time", "1,5"}, "bad time factor '1,5': a number from 1 to 4 such as 1.5 or 2"},
        {{"--more-time", "2."}, "bad time factor '2.': a number from 1 to 4 such as 1.5 or 2"},
        {{"--lang", ".."}, "bad language '..': a code such as fr, pt_BR or de_DE.UTF-8"},
        {{"--lang=."}, "bad language '.': a code such as fr, pt_BR or de_DE.UTF-8"},
        {{"--lang=../de"}, "bad language '../de': a code such as fr, pt_BR or de_DE.UTF-8"},
    };
    for (const auto& [bad, reason] : bads) {
        out.clear();
        err.clear();
        EXPECT_EQ(parse(bad, options, out, err), 2) << bad[0];
        EXPECT_EQ(out, "");
        EXPECT_EQ(err, "calcadia: " + reason + "\nTry 'calcadia --help' for more information.\n");
    }
    // The history's: whose answers, none kept, and the report with its page's file and first day.
    options = TLaunchOptions();
    EXPECT_EQ(parse({"--player", "Zo\xc3\xab", "--no-history", "--report=html", "out.html", "--since=2024-02-29"},
                    options, out, err), std::nullopt);
    EXPECT_EQ(options.history.player, "Zo\xc3\xab");
    EXPECT_FALSE(options.history.keep);
    EXPECT_EQ(options.history.report, "html");
    EXPECT_EQ(options.history.reportFile, "out.html");
    EXPECT_EQ(options.history.since, "2024-02-29");
    EXPECT_EQ(parse({"--report", "--player="}, options, out, err), std::nullopt);
    EXPECT_EQ(options.history.report, "text");
    EXPECT_EQ(options.history.player, "");
    for (const auto& [bad, reason] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--report=html"}, "option '--report=html' requires a file name"},
             {{"--report=pdf"}, "bad report 'pdf': text, csv or html"},
             {{"--since", "2023-02-29"}, "bad date '2023-02-29': a day written YYYY-MM-DD"},
             {{"--since=2024-1-01"}, "bad date '2024-1-01': a day written YYYY-MM-DD"},
             {{"--player", "a\tb"}, "bad player name 'a\\x09b': at most 64 bytes, without control characters"},
             {{"--player", "caf\xe9"}, "bad player name 'caf\\xe9': at most 64 bytes, without control characters"},
             {{"--no-history=1"}, "option '--no-history' doesn't allow an argument"}}) {
        err.clear();
        EXPECT_EQ(parse(bad, options, out, err), 2) << bad[0];
        EXPECT_EQ(err, "calcadia: " + reason + "\nTry 'calcadia --help' for more information.\n");
    }
    // A lone "--" ends the options, and with nothing after it the game starts.
    EXPECT_EQ(parse({"--mute", "--"}, options, out, err), std::nullopt);

#ifdef CALCADIA_PROGRAM
    // Writing the answer out is the program's own: help or a version that never reached its reader (a
    // full disk, an output it cannot write to) ends it with 1 and says why, so that a script can tell.
    TempHome home;
    const std::filesystem::path said = home.root / "said";
    for (const char* command : {"--help >/dev/full", "--version >/dev/full", "--help 1</dev/null"}) {
        const std::string line = "'" CALCADIA_PROGRAM "' " + std::string(command) + " 2>'" + said.string() + "'";
        const int status = std::system(line.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << command << ": " << status;
        std::ifstream in(said);
        const std::string lines(std::istreambuf_iterator<char>(in), {});
        EXPECT_EQ(lines.rfind("calcadia: write error: ", 0), 0u) << command << ": " << lines;
        EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1) << command << ": " << lines;
    }
#endif
}
