#include <gtest/gtest.h>

#include "ui/bar.h"

TEST(ProgressPercent, NoOverflowAndNoDivisionByZero)
{
    EXPECT_EQ(0, ProgressPercent(0, 0));
    EXPECT_EQ(0, ProgressPercent(5, 0));
    EXPECT_EQ(0, ProgressPercent(5, -1));
    EXPECT_EQ(42, ProgressPercent(42, 100));
    EXPECT_EQ(99, ProgressPercent(8191, 8192));
    EXPECT_EQ(100, ProgressPercent(8192, 8192));
    EXPECT_EQ(150, ProgressPercent(300, 200));
    /* several hundred megabytes: done * 100 does not fit 32 bits */
    EXPECT_EQ(50, ProgressPercent(300 * 1024 * 1024, 600 * 1024 * 1024));
    EXPECT_EQ(99, ProgressPercent(2147483646, 2147483647));
    /* past 2 GiB, and files no disk holds */
    EXPECT_EQ(40, ProgressPercent(1LL << 30, 2560LL << 20));
    EXPECT_EQ(100, ProgressPercent(2560LL << 20, 2560LL << 20));
    EXPECT_EQ(50, ProgressPercent(1LL << 62, 0x7fffffffffffffffLL));
    EXPECT_EQ(0x7fffffff, ProgressPercent(1LL << 62, 3));
}

TEST(ProgressBarLayout, PartsOfTheBar)
{
    const struct { unsigned percent; int width, fill, black, grey, white; } cases[] = {
        { 0, 100, 0, 1, 3, 4 },
        { 50, 100, 50, 1, 3, 54 },
        { 96, 100, 96, 1, 3, 100 },     /* w + 4 == W: grey to the edge, no white */
        { 97, 100, 97, 1, 2, 100 },
        { 98, 100, 98, 1, 1, 100 },
        { 99, 100, 99, 1, 0, 100 },     /* black in the last column only */
        { 100, 100, 100, 0, 0, 100 },
        { 250, 100, 250, 0, 0, 100 },
        { 33, 7, 2, 1, 3, 6 },
        { 65535, 400, 262140, 0, 0, 400 },
    };
    for (const auto &c : cases) {
        ProgressBarParts parts;
        ProgressBarLayout(c.percent, c.width, &parts);
        EXPECT_EQ(c.fill, parts.fill) << c.percent << "% of " << c.width;
        EXPECT_EQ(c.black, parts.blackColumn) << c.percent << "% of " << c.width;
        EXPECT_EQ(c.grey, parts.greyWidth) << c.percent << "% of " << c.width;
        EXPECT_EQ(c.white, parts.whiteStart) << c.percent << "% of " << c.width;
    }
}
