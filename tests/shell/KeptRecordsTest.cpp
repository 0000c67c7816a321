// What the game keeps between launches: the best-score table's text form, the settings file, the
// writes that a kill cannot tear, and every kind of damaged file met on the way in.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <fstream>
#include <random>
#include <string>

#include "platform/Storage.h"
#include "shell/LaunchOptions.h"
#include "shell/SavedState.h"
#include "support/TempHome.h"

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TBestScores SampleTable(int runs)
{
    TBestScores table;
    for (int i = 0; i < runs; ++i)
        table.Add(i % TBestScores::MODE_COUNT, TBestScore{100 + 37 * i, 1 + i % 9, "2026-12-07"});
    return table;
}

}  // namespace

TEST(BestScoresTable, KeepsTheFiveBestInOrderAndReadsBackOnlyWhatItWrote)
{
    TBestScores table;
    EXPECT_EQ(table.Add(0, {300, 3, "2026-01-01"}), 0);
    EXPECT_EQ(table.Add(0, {500, 5, "2026-01-02"}), 0);
    EXPECT_EQ(table.Add(0, {300, 4, "2026-01-03"}), 2);   // a tie goes after the earlier run
    EXPECT_EQ(table.Add(0, {0, 1, "2026-01-04"}), -1);    // nothing scored, nothing kept
    EXPECT_EQ(table.Add(0, {100, 1, "2026-01-05"}), 3);
    EXPECT_EQ(table.Add(0, {200, 2, "2026-01-06"}), 3);
    EXPECT_EQ(table.Add(0, {50, 1, "2026-01-07"}), -1);   // the table is full and this is the least
    EXPECT_EQ(table.Add(0, {600, 6, "2026-01-08"}), 0);   // the least (100) drops out
    EXPECT_EQ(table.Add(4, {10, 1, "2026-01-09"}), 0);
    ASSERT_EQ(table.modes[0].size(), 5u);
    std::vector<int> scores;
    for (const TBestScore& run : table.modes[0])
        scores.push_back(run.score);
    EXPECT_EQ(scores, (std::vector<int>{600, 500, 300, 300, 200}));
    EXPECT_EQ(table.modes[0][2].date, "2026-01-01");
    EXPECT_EQ(table.Best(0), 600);
    EXPECT_EQ(table.Best(1), 0);
    EXPECT_EQ(table.Best(4), 10);

    const std::string text = table.Format();
    std::string why;
    std::optional<TBestScores> back = TBestScores::Parse(text, why);
    ASSERT_TRUE(back) << why;
    EXPECT_EQ(back->Format(), text);
    EXPECT_EQ(back->modes[0][3].level, 4);

    // Every cut of the file, and every single changed byte, is refused rather than read as a table.
    for (size_t length = 0; length < text.size(); ++length)
        EXPECT_FALSE(TBestScores::Parse(text.substr(0, length), why)) << "cut at " << length;
    for (size_t i = 0; i < text.size(); ++i) {
        std::string changed = text;
        changed[i] = char(changed[i] ^ 0x04);
        EXPECT_FALSE(TBestScores::Parse(changed, why)) << "byte " << i;
    }
    EXPECT_FALSE(TBestScores::Parse("[Desktop Entry]\nName=Other\n", why));
    EXPECT_EQ(why, "not a best-score table");

    // Well-formed lines that no table of ours holds are refused even under a good checksum.
    const auto withChecksum = [](const std::string& body) {
        TBestScores empty;
        std::string text = empty.Format();
        text = text.substr(0, text.find("end ")) + body;
        uint32_t hash = 2166136261u;
        for (unsigned char c : text)
            hash = (hash ^ c) * 16777619u;
        char end[16];
        std::snprintf(end, sizeof end, "end %08x\n", hash);
        return text + end;
    };
    std::string six;
    for (int i = 0; i < 6; ++i)
        six += "division 10 1 2026-02-03\n";
    EXPECT_TRUE(TBestScores::Parse(withChecksum("division 10 1 2026-02-03\n"), why)) << why;
    for (const std::string& body : {six, std::string("division -10 1 2026-02-03\n"),
                                    std::string("division 10 0 2026-02-03\n"), std::string("division 10 1 2026-13-03\n"),
                                    std::string("roots 10 1 2026-02-03\n"), std::string("division  10 1 2026-02-03\n"),
                                    std::string("division 99999999999 1 2026-02-03\n")})
        EXPECT_FALSE(TBestScores::Parse(withChecksum(body), why)) << body;
}

TEST(Settings, RoundTripMalformedLinesAndWrittenOnlyWhenChanged)
{
    TSettings chosen;
    chosen.fullScreen = 1;
    chosen.musicVolume = 0;
    chosen.effectsVolume = 55;
    std::vector<std::string> warnings;
    EXPECT_EQ(TSettings::Parse(chosen.Format(), warnings), chosen);
    EXPECT_TRUE(warnings.empty());

    const std::string text = "# mine\r\n"
                             "  music-volume=  30  \r\n"
                             "display = big\n"
                             "effects-volume = 101\n"
                             "colour = blue\n"
                             "\x01\xff garbage\n"
                             "music-volume = -5\n"
                             "effects-volume = 7";
    const TSettings read = TSettings::Parse(text, warnings);
    EXPECT_EQ(read.musicVolume, 30);       // the later bad line leaves the good one's value
    EXPECT_EQ(read.effectsVolume, 7);      // the last line needs no line break
    EXPECT_EQ(read.fullScreen, 0);
    ASSERT_EQ(warnings.size(), 5u);
    EXPECT_EQ(warnings[0], "line 3: bad value for \"display\" (window or fullscreen); ignored");
    EXPECT_EQ(warnings[2], "line 5: unknown setting \"colour\"; ignored");
    EXPECT_EQ(warnings[3], "line 6: not of the form name = value; ignored");

    TempHome home;
    testing::internal::CaptureStderr();
    TSavedStatePtr state = TSavedState::Load();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(state->settings, TSettings());
    // The choice the game already has is not written; a new one is, whole, and read back.
    state->ChooseFullScreen(0);
    EXPECT_FALSE(fs::exists(home.Config() / "settings"));
    state->ChooseFullScreen(1);
    EXPECT_EQ(TSavedState::Load()->settings.fullScreen, 1);

    WriteFile(home.Config() / "settings", "display = fullscreen\nvolume = 3\n");
    const auto written = fs::last_write_time(home.Config() / "settings");
    testing::internal::CaptureStderr();
    state = TSavedState::Load();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "calcadia: " + (home.Config() / "settings").string() + ", line 2: unknown setting \"volume\"; ignored\n");
    state->ChooseFullScreen(1);
    EXPECT_EQ(fs::last_write_time(home.Config() / "settings"), written);
    EXPECT_EQ(ReadFile(home.Config() / "settings"), "display = fullscreen\nvolume = 3\n");
}

// A writer is killed at random moments while it replaces the table again and again with one of two
// tables; whatever moment it died at, the file holds one of the two whole.
TEST(KeptRecords, AWriteKilledAtAnyMomentLeavesTheOldTableOrTheNew)
{
    TempHome home;
    const std::string small = SampleTable(1).Format(), large = SampleTable(25).Format();
    ASSERT_EQ(WriteStoredRecord(TStorageArea::DATA, "best-scores", small), "");
    std::mt19937 random(20261207);
    int killed = 0, valid = 0;
    constexpr int ROUNDS = 300;
    for (int round = 0; round < ROUNDS; ++round) {
        const pid_t writer = fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            for (int i = 0;; ++i)
                WriteStoredRecord(TStorageArea::DATA, "best-scores", i % 2 ? small : large);
        }
        usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(random));
        kill(writer, SIGKILL);
        int status = 0;
        waitpid(writer, &status, 0);
        killed += WIFSIGNALED(status) ? 1 : 0;
        const TStoredRecord record = ReadStoredRecord(TStorageArea::DATA, "best-scores", TBestScores::MAX_BYTES);
        std::string why;
        if (record.state == TStoredRecord::FOUND && TBestScores::Parse(record.bytes, why) &&
            (record.bytes == small || record.bytes == large))
            ++valid;
    }
    // A temporary file left behind is a write that was killed between starting and renaming. Once
    // they are old, the next good write clears them.
    const auto temporaries = [&] {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(home.Data()))
            if (entry.path().filename().string().rfind("best-scores.tmp.", 0) == 0)
                found.push_back(entry.path());
        return found;
    };
    const int midWrite = int(temporaries().size());
    for (const fs::path& left : temporaries())
        fs::last_write_time(left, fs::file_time_type::clock::now() - std::chrono::hours(1));
    ASSERT_EQ(WriteStoredRecord(TStorageArea::DATA, "best-scores", small), "");
    EXPECT_TRUE(temporaries().empty());
    std::printf("writes killed: %d of %d (%d in the middle of a write); tables read back valid: %d of %d\n", killed,
                ROUNDS, midWrite, valid, ROUNDS);
    RecordProperty("writes_killed", killed);
    RecordProperty("tables_valid", valid);
    EXPECT_EQ(killed, ROUNDS);
    EXPECT_EQ(valid, ROUNDS);
}

// Each kind of file that is not a table of ours is moved aside with one line on standard error, the
// game starts from an empty table, and the next finished run writes a good one.
TEST(KeptRecords, DamagedFilesAreMovedAsideAndPlayGoesOnWithAnEmptyTable)
{
    TempHome home;
    const fs::path file = home.Data() / "best-scores";
    const std::string good = SampleTable(3).Format();
    std::string random(700, '\0');
    std::mt19937 bytes(7);
    for (char& c : random)
        c = char(bytes());
    struct Case {
        const char* name;
        std::function<void()> make;
        const char* warning;
    };
    const Case cases[] = {
        {"empty", [&] { WriteFile(file, ""); }, "is empty"},
        {"truncated", [&] { WriteFile(file, good.substr(0, good.size() / 2)); }, "is cut short"},
        {"random", [&] { WriteFile(file, random); }, "is not a best-score table"},
        {"too large", [&] { WriteFile(file, std::string(TBestScores::MAX_BYTES + 1, 'a')); }, "too large"},
        {"a folder", [&] { fs::create_directories(file / "inside"); }, "not a regular file"},
        {"a pipe", [&] { fs::create_directories(home.Data()); mkfifo(file.c_str(), 0644); }, "not a regular file"},
    };
    int aside = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.make();
        testing::internal::CaptureStderr();
        TSavedStatePtr state = TSavedState::Load();
        const std::string warning = testing::internal::GetCapturedStderr();
        ++aside;
        const fs::path moved = file.string() + ".bad." + std::to_string(aside);
        EXPECT_NE(warning.find(c.warning), std::string::npos) << warning;
        EXPECT_NE(warning.find("moved to " + moved.string()), std::string::npos) << warning;
        EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 1);
        EXPECT_TRUE(fs::exists(fs::symlink_status(moved)));
        EXPECT_FALSE(fs::exists(fs::symlink_status(file)));
        EXPECT_EQ(state->scores.Best(2), 0);
        const TSavedState::TRunResult result = state->RecordRun(2, 420, 4, "2026-12-07");
        EXPECT_TRUE(result.newBest);
        EXPECT_EQ(TSavedState::Load()->scores.Best(2), 420);
        fs::remove(file);
    }

    // Unreadable for want of permission. Root reads anything, so then a child that is nobody reads.
    WriteFile(file, good);
    fs::permissions(file, fs::perms::none);
    fs::permissions(home.root, fs::perms::all);
    for (const fs::path& folder : {home.root / "data", home.Data()})
        fs::permissions(folder, fs::perms::all);
    const pid_t reader = fork();
    ASSERT_GE(reader, 0);
    if (reader == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        TSavedStatePtr state = TSavedState::Load();
        const bool movedAside = fs::exists(file.string() + ".bad.7") && !fs::exists(file);
        _exit(state->scores.Best(0) == 0 && movedAside ? 0 : 1);
    }
    int status = 0;
    waitpid(reader, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// A home where nothing can be written, or no home at all: play goes on, and standard error hears of it
// once, however many runs end.
TEST(KeptRecords, AHomeThatCannotBeWrittenIsSaidOnceAndPlayGoesOn)
{
    TempHome home;
    for (const char* place : {"/proc/calcadia-cannot-be-made", ""}) {
        SCOPED_TRACE(place);
        if (*place) {
            setenv("XDG_DATA_HOME", place, 1);
        } else {
            unsetenv("XDG_DATA_HOME");
            unsetenv("HOME");
        }
        testing::internal::CaptureStderr();
        TSavedStatePtr state = TSavedState::Load();
        EXPECT_TRUE(state->RecordRun(0, 100, 2, "2026-12-07").newBest);
        EXPECT_EQ(state->RecordRun(0, 90, 2, "2026-12-07").best, 100);
        state->RecordRun(0, 300, 3, "2026-12-07");
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("best scores will not be saved"), std::string::npos) << said;
        EXPECT_EQ(state->scores.Best(0), 300);   // the launch still knows its own best
    }
    EXPECT_EQ(StoredRecordLocation(TStorageArea::DATA, "best-scores"), "");
}

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

    EXPECT_EQ(parse({"--version", "--bogus"}, options, out, err), 0);
    EXPECT_EQ(out, "Calcadia 0.51\n");
    EXPECT_EQ(parse({"--help"}, options, out, err), 0);
    EXPECT_EQ(out, UsageText());
    EXPECT_NE(out.find("M                all sound off and on"), std::string::npos);
    EXPECT_NE(out.find("$XDG_DATA_HOME/calcadia/best-scores"), std::string::npos);

    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--bogus"}, {"-x"}, {"game"}, {"--seed"}, {"--seed", "-1"},
                                               {"--seed", "2147483648"}, {"--seed", "12ab"}, {"--mute=yes"},
                                               {"--data", "/nonexistent/calcadia"}, {"--data="}}) {
        out.clear();
        err.clear();
        EXPECT_EQ(parse(bad, options, out, err), 2) << bad[0];
        EXPECT_EQ(out, "");
        EXPECT_EQ(err.rfind("calcadia: ", 0), 0u) << err;
        EXPECT_NE(err.find("\nUsage: calcadia [OPTION]..."), std::string::npos);
    }
}
