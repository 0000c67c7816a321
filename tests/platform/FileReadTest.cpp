// The bounded reader every loader goes through: what it refuses, and that refusing never waits or reads.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sys/FileRead.h"

namespace fs = std::filesystem;

TEST(FileRead, RefusesWhatIsNotARegularFileOrIsOverTheBoundWithoutReadingIt)
{
    const fs::path dir = fs::temp_directory_path() / ("fileread-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::vector<uint8_t> bytes{1, 2, 3};

    // A named pipe with no writer: the open must not wait for one.
    const std::string pipe = (dir / "pipe").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(ReadRegularFile(pipe, 1024, bytes), TFileStatus::NotRegular);
    EXPECT_TRUE(bytes.empty());

    EXPECT_EQ(ReadRegularFile(dir.string(), 1024, bytes), TFileStatus::NotRegular);
    EXPECT_EQ(ReadRegularFile("/dev/zero", 1024, bytes), TFileStatus::NotRegular);
    EXPECT_EQ(ReadRegularFile((dir / "none").string(), 1024, bytes), TFileStatus::Missing);
    EXPECT_EQ(ReadRegularFile((dir / "none" / "deeper").string(), 1024, bytes), TFileStatus::Missing);

    // A sparse file of 2 GB is refused by its size, before any memory is taken for it.
    const std::string huge = (dir / "huge").string();
    { std::ofstream(huge).put('x'); }
    fs::resize_file(huge, 2'000'000'000);
    EXPECT_EQ(ReadRegularFile(huge, 64u << 20, bytes), TFileStatus::TooLarge);
    EXPECT_LT(bytes.capacity(), 1024u);

    // Exactly the bound is read; one byte over is not. An empty file reads as no bytes.
    const std::string exact = (dir / "exact").string();
    { std::ofstream(exact) << "0123456789"; }
    EXPECT_EQ(ReadRegularFile(exact, 10, bytes), TFileStatus::Ok);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0123456789");
    EXPECT_EQ(ReadRegularFile(exact, 9, bytes), TFileStatus::TooLarge);
    EXPECT_TRUE(bytes.empty());
    const std::string empty = (dir / "empty").string();
    { std::ofstream{empty}; }
    EXPECT_EQ(ReadRegularFile(empty, 10, bytes), TFileStatus::Ok);
    EXPECT_TRUE(bytes.empty());

    // Files whose size is not known in advance (as under /proc) are read to their end or to the bound.
    EXPECT_EQ(ReadRegularFile("/proc/self/status", 1 << 20, bytes), TFileStatus::Ok);
    EXPECT_GT(bytes.size(), 100u);
    EXPECT_EQ(ReadRegularFile("/proc/self/status", 100, bytes), TFileStatus::TooLarge);

    EXPECT_STREQ(FileStatusText(TFileStatus::NotRegular), "not a regular file");
    fs::remove_all(dir);
}
