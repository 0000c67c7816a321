// What the game keeps between launches: the best-score table's text form, the settings file, the
// writes that a kill cannot tear, every kind of damaged file met on the way in, and the history of
// answers with the report drawn from it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
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
#include "platform/Testing.h"
#include "records/History.h"
#include "records/Report.h"
#include "records/SavedState.h"
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
    // The last day of the year is a date; the 0th and 32nd of a month and its 0th and 13th months are not.
    EXPECT_TRUE(TBestScores::Parse(withChecksum("division 10 1 2026-12-31\n"), why)) << why;
    for (const std::string& body : {six, std::string("division -10 1 2026-02-03\n"),
                                    std::string("division 10 0 2026-02-03\n"), std::string("division 10 1 2026-13-03\n"),
                                    std::string("division 10 1 2026-00-03\n"), std::string("division 10 1 2026-01-32\n"),
                                    std::string("division 10 1 2026-01-00\n"),
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
    // Every mode chosen away from its default is written too, in the form it is read back in.
    for (int percent : {105, 110, 125, 400}) {
        TSettings modes = chosen;
        modes.timePercent = percent;
        modes.calm = modes.speak = true;
        modes.history = 0;
        EXPECT_EQ(TSettings::Parse(modes.Format(), warnings), modes) << modes.Format();
    }
    EXPECT_TRUE(warnings.empty());

    const std::string text = "# mine\r\n"
                             "  music-volume=  30  \r\n"
                             "display = big\n"
                             "effects-volume = 101\n"
                             "colour = blue\n"
                             "\x01\xff garbage\n"
                             "music-volume = -5\n"
                             "time-factor = 2\n"
                             "motion = calm\n"
                             "speak = on\n"
                             "time-factor = 1.5x\n"
                             "motion = still\n"
                             "effects-volume = 7";
    const TSettings read = TSettings::Parse(text, warnings);
    EXPECT_EQ(read.musicVolume, 30);       // the later bad line leaves the good one's value
    EXPECT_EQ(read.effectsVolume, 7);      // the last line needs no line break
    EXPECT_EQ(read.fullScreen, 0);
    EXPECT_EQ(read.timePercent, 200);
    EXPECT_TRUE(read.calm && read.speak);
    ASSERT_EQ(warnings.size(), 7u);
    EXPECT_EQ(warnings[0], "line 3 ('display = big'): the display is window or fullscreen; ignored");
    EXPECT_EQ(warnings[1], "line 4 ('effects-volume = 101'): a volume is a whole number from 0 to 100; ignored");
    EXPECT_EQ(warnings[2], "line 5 ('colour = blue'): unknown setting; ignored");
    EXPECT_EQ(warnings[3], "line 6 ('\\x01\\xff garbage'): not of the form name = value; ignored");
    EXPECT_EQ(warnings[5], "line 11 ('time-factor = 1.5x'): the time factor is a number from 1 to 4, such as 1.5 "
                           "or 2; ignored");
    EXPECT_EQ(warnings[6], "line 12 ('motion = still'): the motion is full or calm; ignored");
    // A byte-order mark, as some editors write, is not part of the first line.
    warnings.clear();
    EXPECT_EQ(TSettings::Parse("\xEF\xBB\xBFmusic-volume = 40\n", warnings).musicVolume, 40);
    EXPECT_TRUE(warnings.empty()) << warnings[0];
    // The history is on unless a line that reads turns it off.
    EXPECT_EQ(TSettings::Parse("history = off\nhistory = maybe\n", warnings).history, 0);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "line 2 ('history = maybe'): the history is on or off; ignored");
    warnings.clear();
    EXPECT_EQ(TSettings::Parse("history=on", warnings).history, 1);
    EXPECT_TRUE(warnings.empty());

    TempHome home;
    testing::internal::CaptureStderr();
    TSavedStatePtr state = TSavedState::Load();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(state->settings, TSettings());
    // The choice the game already has is not written; a new one is, whole, and read back without a
    // warning about any line the game wrote itself (the volumes at their most, say).
    state->ChooseFullScreen(0);
    EXPECT_FALSE(fs::exists(home.Config() / "settings"));
    state->ChooseFullScreen(1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(TSavedState::Load()->settings.fullScreen, 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    WriteFile(home.Config() / "settings", "display = fullscreen\nvolume = 3\n");
    const auto written = fs::last_write_time(home.Config() / "settings");
    testing::internal::CaptureStderr();
    state = TSavedState::Load();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "calcadia: " + (home.Config() / "settings").string() + ", line 2 ('volume = 3'): unknown setting; ignored\n");
    state->ChooseFullScreen(1);
    EXPECT_EQ(fs::last_write_time(home.Config() / "settings"), written);
    EXPECT_EQ(ReadFile(home.Config() / "settings"), "display = fullscreen\nvolume = 3\n");

    // Ctrl+F changes the line that decides the display and nothing else: not the player's comments, the
    // names this version does not know, a value it cannot read, nor what they edited while it ran.
    const std::string mine = "\xEF\xBB\xBF# my settings\r\n"
                             "display = fullscreen\r\n"
                             "effects-volume = 25 %\n"
                             "  display=   window  \r\n"
                             "display = big\n"
                             "colour = blue";
    WriteFile(home.Config() / "settings", mine);
    testing::internal::CaptureStderr();
    state = TSavedState::Load();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(state->settings.effectsVolume, 100);
    const std::string edited = mine + "\nmusic-volume = 10\n";
    WriteFile(home.Config() / "settings", edited);
    state->ChooseFullScreen(1);
    std::string expected = edited;
    expected.replace(expected.find("window"), 6, "fullscreen");
    EXPECT_EQ(ReadFile(home.Config() / "settings"), expected);
    // With no line that reads, one is added.
    WriteFile(home.Config() / "settings", "# volumes only\nmusic-volume = 20");
    state->ChooseFullScreen(0);
    EXPECT_EQ(ReadFile(home.Config() / "settings"), "# volumes only\nmusic-volume = 20");
    state->ChooseFullScreen(1);
    EXPECT_EQ(ReadFile(home.Config() / "settings"), "# volumes only\nmusic-volume = 20\ndisplay = fullscreen\n");

    // The file's own line breaks: CR LF, or lone CRs (read line by line, not as one comment); a CR
    // inside a line of an LF file is said, not taken for a comment's text.
    WriteFile(home.Config() / "settings", "# volumes only\r\nmusic-volume = 20\r\n");
    state->ChooseFullScreen(1);
    EXPECT_EQ(ReadFile(home.Config() / "settings"), "# volumes only\r\nmusic-volume = 20\r\ndisplay = fullscreen\r\n");
    warnings.clear();
    const TSettings oldMac = TSettings::Parse("# mine\rmusic-volume = 30\rdisplay = fullscreen\r", warnings);
    EXPECT_EQ(oldMac.musicVolume, 30);
    EXPECT_EQ(oldMac.fullScreen, 1);
    EXPECT_TRUE(warnings.empty()) << warnings[0];
    EXPECT_EQ(TSettings::WithDisplay("# mine\rmusic-volume = 30", 1), "# mine\rmusic-volume = 30\rdisplay = fullscreen\r");
    TSettings::Parse("# mine\rdisplay = fullscreen\nmusic-volume = 30\n", warnings);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "line 1 ('# mine\\x0ddisplay = fullscreen'): a carriage return in the middle of the line; ignored");
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
    const auto now = fs::file_time_type::clock::now();
    for (const fs::path& left : temporaries())
        fs::last_write_time(left, now - std::chrono::hours(1));
    // One more of each age, whatever the kills left: the fresh one may be another copy's write in
    // progress, and must survive.
    const fs::path old = home.Data() / "best-scores.tmp.old", fresh = home.Data() / "best-scores.tmp.fresh";
    WriteFile(old, "half a table");
    WriteFile(fresh, "half a table");
    fs::last_write_time(old, now - std::chrono::minutes(11));
    fs::last_write_time(fresh, now - std::chrono::minutes(9));
    // What makes a write last through a power cut rather than a kill, in its order: the new bytes on
    // the disk before the rename puts the name on them, and the rename on the disk with its folder.
    std::vector<std::string> steps;
    WatchStorageSteps([&](const std::string& step) {
        if (steps.empty() || steps.back() != step)
            steps.push_back(step);
    });
    ASSERT_EQ(WriteStoredRecord(TStorageArea::DATA, "best-scores", small), "");
    WatchStorageSteps(nullptr);
    EXPECT_EQ(steps, (std::vector<std::string>{"write", "flush", "rename", "flush folder"}));
    EXPECT_EQ(temporaries(), std::vector<fs::path>{fresh});
    std::printf("writes killed: %d of %d (%d in the middle of a write); tables read back valid: %d of %d\n", killed,
                ROUNDS, midWrite, valid, ROUNDS);
    RecordProperty("writes_killed", killed);
    RecordProperty("tables_valid", valid);
    EXPECT_EQ(killed, ROUNDS);
    EXPECT_EQ(valid, ROUNDS);
}

// Copies of the game ending runs at the same moment, each in a process of its own as players start them:
// every run recorded is in the table afterwards, and the best of each mode said "New best!".
TEST(KeptRecords, CopiesEndingRunsTogetherLoseNone)
{
    // Each copy has read the table at launch; all are let go at once, and record one run each.
    const auto race = [](int copies, int round) {
        int pipeEnds[2];
        EXPECT_EQ(pipe(pipeEnds), 0);
        std::vector<pid_t> children;
        for (int copy = 0; copy < copies; ++copy) {
            const pid_t child = fork();
            if (child == 0) {
                close(pipeEnds[1]);
                TSavedStatePtr state = TSavedState::Load();
                char go;
                if (read(pipeEnds[0], &go, 1) != 0)
                    _exit(3);
                // Scores apart enough that every one fits in the table: five modes of five runs.
                const int score = 10 + 10 * copy + round % 7;
                const TSavedState::TRunResult result = state->RecordRun(copy % 5, score, 1, "2026-12-07");
                // The last copy of each mode has its best; whether an earlier one's run was the best
                // when it was entered depends on the order the copies got the lock in.
                _exit(copy + 5 >= copies && !result.newBest ? 1 : 0);
            }
            children.push_back(child);
        }
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        bool allWell = true;
        for (pid_t child : children) {
            int status = 0;
            waitpid(child, &status, 0);
            allWell = allWell && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        EXPECT_TRUE(allWell) << "a copy's \"New best!\" was wrong in round " << round;
        int kept = 0;
        const TSavedStatePtr saved = TSavedState::Load();
        for (const auto& runs : saved->scores.modes)
            kept += int(runs.size());
        return kept;
    };
    constexpr int ROUNDS = 200;
    int recorded = 0, kept = 0, roundsLosing = 0;
    for (int round = 0; round < ROUNDS; ++round) {
        TempHome home;
        const int keptNow = race(2, round);
        recorded += 2;
        kept += keptNow;
        roundsLosing += keptNow < 2;
    }
    std::printf("two copies at once, %d rounds: runs recorded %d, kept %d (rounds that lost one: %d)\n", ROUNDS,
                recorded, kept, roundsLosing);
    RecordProperty("runs_recorded", recorded);
    RecordProperty("runs_kept", kept);
    EXPECT_EQ(kept, recorded);
    TempHome home;
    EXPECT_EQ(race(20, 0), 20);
}

// The lock that keeps copies' saves apart holds where the lock file cannot be written (left by a launch
// as root, or a folder of its name); a symbolic link in its place is never followed; and a save that goes
// ahead without the lock says so once.
TEST(KeptRecords, TheLockHoldsWhereItsFileCannotBeWrittenAndIsNeverFollowed)
{
    TempHome home;
    const fs::path lockFile = home.Data() / "best-scores.lock";
    const auto heldElsewhere = [&] {
        const int fd = open(lockFile.c_str(), O_RDONLY);
        const bool held = flock(fd, LOCK_EX | LOCK_NB) == 0;
        close(fd);
        return !held;
    };
    // A folder in the lock file's place carries the lock as well as a file would.
    fs::create_directories(lockFile);
    {
        const TStoredRecordLock lock(TStorageArea::DATA, "best-scores");
        EXPECT_TRUE(lock.Held()) << lock.Problem();
        EXPECT_TRUE(heldElsewhere());
    }
    fs::remove(lockFile);
    // A read-only lock file another user left: a player who is not root locks it all the same.
    WriteFile(lockFile, "");
    fs::permissions(lockFile, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    for (const fs::path& folder : {home.root, home.root / "data", home.Data()})
        fs::permissions(folder, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const pid_t player = fork();
    ASSERT_GE(player, 0);
    if (player == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        const TStoredRecordLock lock(TStorageArea::DATA, "best-scores");
        _exit(lock.Held() && heldElsewhere() ? 0 : 1);
    }
    int status = 0;
    waitpid(player, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    fs::remove(lockFile);

    // A link in its place is not followed (nothing is made where it points); the runs are still saved,
    // and standard error hears once that copies may overwrite each other's saves.
    fs::create_symlink(home.root / "elsewhere", lockFile);
    testing::internal::CaptureStderr();
    TSavedStatePtr state = TSavedState::Load();
    state->RecordRun(0, 100, 2, "2026-12-07");
    state->RecordRun(0, 200, 2, "2026-12-07");
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(fs::exists(fs::symlink_status(home.root / "elsewhere")));
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("may overwrite each other's saves"), std::string::npos) << said;
    EXPECT_EQ(TSavedState::Load()->scores.Best(0), 200);
    fs::remove(lockFile);

    // Held by another copy for the whole wait: the save goes ahead, and says so in one line.
    SetStorageLockWait(std::chrono::milliseconds(100));
    const int other = open(lockFile.c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_EQ(flock(other, LOCK_EX), 0);
    testing::internal::CaptureStderr();
    state = TSavedState::Load();
    state->RecordRun(0, 300, 2, "2026-12-07");
    said = testing::internal::GetCapturedStderr();
    close(other);
    SetStorageLockWait(std::chrono::seconds(10));
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("saved without the lock"), std::string::npos) << said;
    EXPECT_EQ(TSavedState::Load()->scores.Best(0), 300);
}

// A record that is a symbolic link (a dotfiles or synced folder) stays a link and its target gets the
// new bytes; the file keeps the permissions it was given; a file with other hard links is replaced
// under its own name only, and standard error hears of that once.
TEST(KeptRecords, ASavedFileStaysALinkAndKeepsItsPermissions)
{
    TempHome home;
    const fs::path dotfiles = home.root / "dotfiles", settings = home.Config() / "settings";
    WriteFile(dotfiles / "calcadia-settings", "display = window\n");
    // Two relative links in two folders, each read from its own: settings -> the links folder -> dotfiles.
    fs::create_directories(home.Config());
    fs::create_directories(home.root / "links");
    fs::create_symlink("../../links/calcadia", settings);
    fs::create_symlink("../dotfiles/calcadia-settings", home.root / "links" / "calcadia");
    // What a write killed long ago left beside the target.
    const fs::path stale = dotfiles / "calcadia-settings.tmp.old";
    WriteFile(stale, "display = win");
    fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(1));
    TSavedStatePtr state = TSavedState::Load();
    state->ChooseFullScreen(1);
    EXPECT_TRUE(fs::is_symlink(settings));
    EXPECT_EQ(ReadFile(dotfiles / "calcadia-settings"), "display = fullscreen\n");
    // The temporary file was made beside the target, and nothing is left of it nor of the old one.
    EXPECT_EQ(std::distance(fs::directory_iterator(dotfiles), {}), 1);

    // A link to a file yet to be made makes it where the link points.
    fs::remove(dotfiles / "calcadia-settings");
    state->ChooseFullScreen(0);
    state->ChooseFullScreen(1);
    EXPECT_TRUE(fs::is_symlink(settings));
    EXPECT_NE(ReadFile(dotfiles / "calcadia-settings").find("display = fullscreen\n"), std::string::npos);

    const fs::path scores = home.Data() / "best-scores";
    fs::create_directories(home.Data());
    ASSERT_TRUE(state->RecordRun(0, 50, 1, "2026-12-07").newBest);
    fs::permissions(scores, fs::perms::owner_read | fs::perms::group_read);
    state->RecordRun(0, 60, 1, "2026-12-07");
    EXPECT_EQ(fs::status(scores).permissions(), fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(TSavedState::Load()->scores.Best(0), 60);

    fs::permissions(scores, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_hard_link(scores, home.root / "scores-copy");
    testing::internal::CaptureStderr();
    state->RecordRun(0, 70, 1, "2026-12-07");
    state->RecordRun(0, 80, 1, "2026-12-07");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("had other hard links"), std::string::npos) << said;
    EXPECT_EQ(TSavedState::Load()->scores.Best(0), 80);

    // As many links on the way as the system follows (40) are followed on the way to save, too.
    fs::path link = settings;
    fs::remove(settings);
    for (int hop = 1; hop <= 40; ++hop) {
        const fs::path next = home.root / ("link" + std::to_string(hop));
        fs::create_symlink(next, link);
        link = next;
    }
    WriteFile(link, "display = window\n");
    state->ChooseFullScreen(1);
    EXPECT_EQ(ReadFile(link), "display = fullscreen\n");
    EXPECT_TRUE(fs::is_symlink(settings));

    // A link that cannot be followed where it points (no such folder): the link stays as it is, and
    // standard error hears once that the settings are not saved.
    fs::remove(settings);
    fs::create_symlink(home.root / "gone" / "settings", settings);
    testing::internal::CaptureStderr();
    state->ChooseFullScreen(0);
    state->ChooseFullScreen(1);
    const std::string notSaved = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(notSaved.begin(), notSaved.end(), '\n'), 1) << notSaved;
    EXPECT_NE(notSaved.find("settings will not be saved"), std::string::npos) << notSaved;
    EXPECT_TRUE(fs::is_symlink(settings));
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

    // Neither readable nor movable (its folder cannot be written): said once, at launch, and not again
    // on the title or at any run's end.
    fs::remove(file.string() + ".bad.7");
    WriteFile(file, good);
    fs::permissions(file, fs::perms::none);
    fs::permissions(home.Data(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
    const fs::path said = home.root / "said";
    const pid_t player = fork();
    ASSERT_GE(player, 0);
    if (player == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        const int out = open(said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (out < 0 || dup2(out, 2) < 0)
            _exit(4);
        TSavedStatePtr state = TSavedState::Load();
        for (int run = 1; run <= 3; ++run) {
            state->RefreshScores();
            state->RecordRun(0, 100 * run, 2, "2026-12-07");
        }
        _exit(state->scores.Best(0) == 300 ? 0 : 1);
    }
    waitpid(player, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::string lines = ReadFile(said);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1) << lines;
    EXPECT_NE(lines.find("cannot be moved aside"), std::string::npos) << lines;
    fs::permissions(home.Data(), fs::perms::all);
}

// A home where nothing can be written, or no home at all: play goes on, and standard error hears of it
// once, however many runs end.
TEST(KeptRecords, AHomeThatCannotBeWrittenIsSaidOnceAndPlayGoesOn)
{
    TempHome home;
    // Deeper than the system allows a path to be: nothing can be there, and the cause is named.
    std::string deep = home.root.string();
    while (deep.size() < 5000)
        deep += "/" + std::string(200, 'd');
    for (const std::string& place : {std::string("/proc/calcadia-cannot-be-made"), deep, std::string()}) {
        SCOPED_TRACE(place.substr(0, 40));
        if (!place.empty()) {
            setenv("XDG_DATA_HOME", place.c_str(), 1);
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
        EXPECT_EQ(said.find("cannot be read"), std::string::npos) << said;
        if (place == deep) {
            EXPECT_NE(said.find("File name too long"), std::string::npos) << said;
        }
        EXPECT_EQ(state->scores.Best(0), 300);   // the launch still knows its own best
    }
    EXPECT_EQ(StoredRecordLocation(TStorageArea::DATA, "best-scores"), "");
}

namespace {

void QueueNumbered(const std::shared_ptr<const void>& run, int first, int count)
{
    for (int i = first; i < first + count; ++i)
        QueueAnswer(run, 2, 1, std::to_string(i) + " x 1 =", std::to_string(i), THistoryAnswer::RIGHT, i, 60.0f);
}

std::vector<THistoryAnswer> KeptAnswers(const std::string* player = nullptr, const std::string& since = "")
{
    std::vector<THistoryAnswer> answers;
    std::string why;
    EXPECT_TRUE(ReadHistory(HistoryLocation(), since, player, answers, why)) << why;
    return answers;
}

}  // namespace

// Two copies of the game answering at once, each written by its own background work, lose no answer
// and keep each copy's in order. One copy ends with StopHistory, the other by exit() with answers
// still queued, as Ctrl+X or a closed window ends the program in the middle of a write.
TEST(History, TwoCopiesWritingAtOnceLoseNoAnswer)
{
    TempHome home;
    constexpr int COPIES = 2, ANSWERS = 400;
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    std::vector<pid_t> children;
    for (int copy = 0; copy < COPIES; ++copy) {
        const pid_t child = fork();
        if (child == 0) {
            close(pipeEnds[1]);
            char go;
            if (read(pipeEnds[0], &go, 1) != 0)
                _exit(3);
            StartHistory("copy" + std::to_string(copy));
            const auto run = std::make_shared<int>(copy);
            QueueNumbered(run, 0, ANSWERS);
            if (copy == 0) {
                StopHistory();
                _exit(0);
            }
            std::exit(0);
        }
        children.push_back(child);
    }
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int copy = 0; copy < COPIES; ++copy) {
        const std::string name = "copy" + std::to_string(copy);
        const std::vector<THistoryAnswer> answers = KeptAnswers(&name);
        ASSERT_EQ(answers.size(), size_t(ANSWERS)) << name;
        for (int i = 0; i < ANSWERS; ++i)
            EXPECT_EQ(answers[size_t(i)].typed, std::to_string(i)) << name;
        EXPECT_EQ(answers.front().run, answers.back().run);
    }
}

// The newest answers up to the bound are kept; a database damaged in its pages, or not one at all, is
// moved aside (its journal with it) and a new one takes the next answers, while a report on a damaged
// one fails with the reason rather than printing nothing.
TEST(History, KeepsTheNewestUpToItsBoundAndSetsADamagedDatabaseAside)
{
    TempHome home;
    const auto run = std::make_shared<int>(0);
    StartHistory("Ana", 50);
    QueueNumbered(run, 0, 120);
    StopHistory();
    std::vector<THistoryAnswer> answers = KeptAnswers();
    ASSERT_EQ(answers.size(), 50u);
    EXPECT_EQ(answers.front().typed, "70");
    EXPECT_EQ(answers.back().typed, "119");
    EXPECT_EQ(answers.back().question, "119 x 1 =");
    EXPECT_EQ(answers.back().player, "Ana");
    EXPECT_EQ(answers.back().mode, 2);
    EXPECT_EQ(answers.back().frames, 119);
    EXPECT_DOUBLE_EQ(answers.back().seconds, 119.0 / 60.0);

    // Its header intact, its pages overwritten: SQLite opens it, the check finds the damage.
    const fs::path database = HistoryLocation();
    std::string bytes = ReadFile(database);
    ASSERT_GT(bytes.size(), 4096u);
    std::fill(bytes.begin() + 4096, bytes.end(), '\x55');
    WriteFile(database, bytes);
    WriteFile(database.string() + "-wal", "left by the damaged one");
    std::string why;
    EXPECT_FALSE(ReadHistory(HistoryLocation(), "", nullptr, answers, why));
    EXPECT_NE(why.find(database.string()), std::string::npos);

    testing::internal::CaptureStderr();
    StartHistory("Ana");
    QueueNumbered(run, 500, 1);
    StopHistory();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("damaged; moved to " + database.string() + ".bad.1"), std::string::npos) << said;
    EXPECT_EQ(ReadFile(database.string() + ".bad.1"), bytes);
    answers = KeptAnswers();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].typed, "500");

    WriteFile(database, std::string(8192, 'x'));
    testing::internal::CaptureStderr();
    StartHistory("");
    QueueNumbered(run, 600, 2);
    StopHistory();
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(fs::exists(database.string() + ".bad.2"));
    EXPECT_EQ(KeptAnswers().size(), 2u);
}

namespace {

THistoryAnswer Row(const std::string& player, int64_t run, int mode, int level, const std::string& question,
                   const std::string& typed, int outcome, double seconds, const std::string& time = "2026-12-01 10:00:00")
{
    THistoryAnswer a;
    a.time = time;
    a.player = player;
    a.run = run;
    a.mode = mode;
    a.level = level;
    a.question = question;
    a.typed = typed;
    a.outcome = outcome;
    a.seconds = seconds;
    a.frames = int(seconds * 60.0);
    return a;
}

}  // namespace

// The report's figures from rows made by hand: runs, questions, share right, the median over the
// answers given (a time-up gives none), the highest level, the most missed and the slowest facts; the
// days; the CSV's quoting; the page's escaping, its grids, and nothing in it that would be fetched.
TEST(History, ReportFiguresTextCsvAndPage)
{
    using A = THistoryAnswer;
    const std::vector<A> rows = {
        Row("Ana", 1, 0, 1, "3 + 4 =", "7", A::RIGHT, 1.0),
        Row("Ana", 1, 0, 1, "3 + 4 =", "8", A::WRONG, 2.0),
        Row("Ana", 1, 0, 2, "2 + 2 =", "4", A::RIGHT, 4.0),
        Row("", 7, 2, 1, "7 x 8 =", "54", A::WRONG, 3.0),
        Row("Ana", 2, 0, 3, "7 + 8 =", "1", A::TIME_UP, 9.0, "2026-12-02 09:00:00"),
        Row("Ana", 2, 0, 3, "3 + 4 =", "6", A::WRONG, 3.0, "2026-12-02 09:00:05"),
    };
    std::vector<A> withUnnamed = rows;
    for (int i = 0; i < 4; ++i)
        withUnnamed.push_back(Row("", 7, 2, 1, "7 x 8 =", i ? "55" : "56", i ? A::WRONG : A::RIGHT, 5.0));
    const std::vector<TPlayerFigures> players = ReportFigures(withUnnamed);
    ASSERT_EQ(players.size(), 2u);
    ASSERT_EQ(players[0].modes.size(), 1u);
    const TModeFigures& ana = players[0].modes[0];
    EXPECT_EQ(ana.runs, 2);
    EXPECT_EQ(ana.questions, 5);
    EXPECT_EQ(ana.right, 2);
    EXPECT_DOUBLE_EQ(ana.medianSeconds, 2.5);   // 1, 2, 3 and 4; the time-up's 9 is no answer time
    EXPECT_EQ(ana.highestLevel, 3);
    ASSERT_EQ(ana.mostMissed.size(), 2u);
    EXPECT_EQ(MissedText(ana.mostMissed[0]), "3 + 4: wrong 2 of 3");
    EXPECT_EQ(MissedText(ana.mostMissed[1]), "7 + 8: wrong 1 of 1");
    ASSERT_EQ(ana.slowest.size(), 2u);
    EXPECT_EQ(SlowText(ana.slowest[0]), "2 + 2: 4.0 s");
    EXPECT_EQ(SlowText(ana.slowest[1]), "3 + 4: 2.0 s");
    ASSERT_EQ(players[0].days.size(), 2u);
    EXPECT_EQ(players[0].days[1].day, "2026-12-02");
    EXPECT_EQ(players[0].days[1].questions, 2);
    EXPECT_EQ(players[0].days[1].right, 0);

    const std::string text = ReportText(players, "2026-12-01");
    EXPECT_NE(text.find("Calcadia: the answers from 2026-12-01 on\n\nAna\n"
                        "  Addition: 2 runs, 5 questions, 40% right, median time 2.5 s, highest level 3\n"
                        "    most missed: 3 + 4: wrong 2 of 3; 7 + 8: wrong 1 of 1\n"
                        "    slowest: 2 + 2: 4.0 s; 3 + 4: 2.0 s\n"),
              std::string::npos) << text;
    EXPECT_NE(text.find("(no name)\n  Multiplication: 1 run, 5 questions, 20% right, median time 5.0 s, highest level 1\n"
                        "    most missed: 7 x 8: wrong 4 of 5\n"),
              std::string::npos) << text;

    // A name a spreadsheet would run as a formula, and one with the separator and quotes in it.
    const std::vector<A> odd = {Row("=HYPERLINK(\"http://x\")", 1, 3, 1, "6 / 2 =", "3", A::RIGHT, 1.5),
                                Row("Li, \"Sam\"", 2, 1, 1, "4 - 4 =", "0", A::RIGHT, 0.5)};
    EXPECT_EQ(ReportCsv(odd), "time,player,run,mode,level,question,answer,outcome,frames,seconds\r\n"
                              "2026-12-01 10:00:00,\"'=HYPERLINK(\"\"http://x\"\")\",1,division,1,6 / 2 =,3,right,90,1.500\r\n"
                              "2026-12-01 10:00:00,\"Li, \"\"Sam\"\"\",2,subtraction,1,4 - 4 =,0,right,30,0.500\r\n");

    std::vector<A> page = withUnnamed;
    page.push_back(Row("<script>alert(1)</script>", 3, 1, 1, "9 - 3 =", "6", A::RIGHT, 1.0));
    const std::string html = ReportPage(ReportFigures(page), "");
    EXPECT_EQ(html.find("<script>"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    // Facts in their grids: 7 x 8 missed four times in five, 3 + 4 shaky... 9 - 3 known.
    EXPECT_NE(html.find("<td class=\"missed\" title=\"7 x 8: 1/5, 5.0 s\"><b>56</b>\u2717 1/5</td>"), std::string::npos);
    EXPECT_NE(html.find("<td class=\"missed\" title=\"3 + 4: 1/3, 2.0 s\"><b>7</b>\u2717 1/3</td>"), std::string::npos);
    EXPECT_NE(html.find("<td class=\"known\" title=\"9 - 3: 1/1, 1.0 s\"><b>6</b>\u2713 1/1</td>"), std::string::npos);
    // Nothing the page would fetch: no script, no link, no source, no style import or url().
    for (const char* fetching : {"<script", "<link", "src=", "href=", "url(", "@import", "<img", "<iframe", "<object"})
        EXPECT_EQ(html.find(fetching), std::string::npos) << fetching;
}

namespace {

// Runs headless chromium on the page with a network log, and returns what it printed. Nothing it
// asks for could leave the machine: every name resolves to nothing, through a proxy that is not there.
std::string Chromium(const fs::path& folder, const std::string& what, const fs::path& page, const fs::path& netLog)
{
    const std::string command = "timeout 90 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                                "--disable-background-networking --disable-component-update --disable-sync "
                                "--proxy-server=127.0.0.1:9 '--host-resolver-rules=MAP * ~NOTFOUND' --user-data-dir=" +
                                (folder / "profile").string() + " --log-net-log=" + netLog.string() + " " + what +
                                " file://" + page.string() + " 2>/dev/null";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

// The requests the page itself made (the browser's own, for updates and accounts, are not the page's).
int PageRequests(const fs::path& netLog)
{
    const std::string log = ReadFile(netLog);
    int count = 0;
    for (size_t at = 0; (at = log.find("\"network_isolation_key\":\"file://", at)) != std::string::npos; ++at)
        ++count;
    return count;
}

}  // namespace

// The page in a real browser: it renders, its times table is a 10 x 10 grid, and it fetches nothing;
// the same page with one picture from elsewhere (and without its policy that forbids fetching) is seen
// fetching it, so the log is read rightly.
TEST(History, ThePageRendersInAHeadlessBrowserAndFetchesNothing)
{
    if (!fs::exists("/usr/bin/chromium"))
        GTEST_SKIP() << "no chromium (scripts/web-deps.sh installs it); the page's references are still checked "
                        "in ReportFiguresTextCsvAndPage";
    TempHome home;
    std::vector<THistoryAnswer> rows;
    for (int a = 1; a <= 10; ++a)
        for (int b = 1; b <= 10; b += 3)
            rows.push_back(Row("Mia", 1, 2, 3, std::to_string(a) + " x " + std::to_string(b) + " =", "1",
                               a * b == 1 ? THistoryAnswer::RIGHT : THistoryAnswer::WRONG, 2.0));
    const std::string html = ReportPage(ReportFigures(rows), "");
    const fs::path page = home.root / "report.html", control = home.root / "control.html";
    WriteFile(page, html);
    // Without the page's own policy, which would block the picture before the network saw it.
    std::string fetching = html;
    const size_t policy = fetching.find("<meta http-equiv=\"Content-Security-Policy\"");
    ASSERT_NE(policy, std::string::npos);
    fetching.erase(policy, fetching.find('>', policy) + 1 - policy);
    fetching.insert(fetching.find("</body>"), "<img src=\"http://calcadia.invalid/x.png\">");
    WriteFile(control, fetching);

    Chromium(home.root, "--window-size=1100,1400 --screenshot=" + (home.root / "shot.png").string(), page,
             home.root / "page.json");
    EXPECT_GT(fs::exists(home.root / "shot.png") ? fs::file_size(home.root / "shot.png") : 0, 20000u);
    EXPECT_EQ(PageRequests(home.root / "page.json"), 0);

    const std::string dom = Chromium(home.root, "--dump-dom", control, home.root / "control.json");
    const size_t grid = dom.find("<table class=\"grid\">");
    ASSERT_NE(grid, std::string::npos) << dom.substr(0, 300);
    const std::string table = dom.substr(grid, dom.find("</table>", grid) - grid);
    int rowsSeen = 0, cells = 0;
    for (size_t at = 0; (at = table.find("<tr>", at)) != std::string::npos; ++at)
        ++rowsSeen;
    for (size_t at = 0; (at = table.find("<td", at)) != std::string::npos; ++at)
        ++cells;
    EXPECT_EQ(rowsSeen, 11);   // the heading row, then 1 to 10
    EXPECT_EQ(cells, 100);
    EXPECT_EQ(PageRequests(home.root / "control.json"), 1);
}
