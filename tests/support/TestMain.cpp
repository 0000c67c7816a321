// Test entry point shared by every test program: death tests fork a fresh process, so the
// platform's threads (timer, audio, llvmpipe) are never cloned half-way.
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
