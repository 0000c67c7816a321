// The command line: every option, and one line of reason with the way to the help for a bad one.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/LaunchOptions.h"

TEST(LaunchOptions, EachOptionAndTheUsageOnABadOne)
{
    const auto parse = [](std::vector<std::string> args, TLaunchOptions& options, std::string& out,
                          std::string& err) { return ParseLaunchOptions(args, options, out, err); };
    TLaunchOptions options;
    std::string out, err;
    EXPECT_EQ(parse({"--fullscreen", "--mute", "--seed", "42", "--data=/tmp/../tmp"}, options, out, err), std::nullopt);
    EXPECT_EQ(options.fullScreen, 1);
    EXPECT_TRUE(options.mute);
    EXPECT_EQ(options.seed, 42);
    EXPECT_EQ(options.dataFolder, "/tmp");
    EXPECT_EQ(parse({"--window", "--seed=0"}, options, out, err), std::nullopt);
    EXPECT_EQ(options.fullScreen, 0);
    EXPECT_EQ(options.seed, 0);
    EXPECT_EQ(out + err, "");
    EXPECT_EQ(parse({"--more-time", "1.25", "--calm", "--speak"}, options, out, err), std::nullopt);
    EXPECT_EQ(options.timePercent, 125);
    EXPECT_TRUE(options.calm && options.speak);
    EXPECT_EQ(parse({"--more-time=4"}, options, out, err), std::nullopt);
    EXPECT_EQ(options.timePercent, 400);

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
    };
    for (const auto& [bad, reason] : bads) {
        out.clear();
        err.clear();
        EXPECT_EQ(parse(bad, options, out, err), 2) << bad[0];
        EXPECT_EQ(out, "");
        EXPECT_EQ(err, "calcadia: " + reason + "\nTry 'calcadia --help' for more information.\n");
    }
    // A lone "--" ends the options, and with nothing after it the game starts.
    EXPECT_EQ(parse({"--mute", "--"}, options, out, err), std::nullopt);
}
