#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "ui/bar.h"
#include "ui/bmpcheck.h"
#include "ui/dirpath.h"

namespace {

const int kDriveC = 3;

std::string Normalise(const std::string &typed, const char *current, int drive)
{
    char result[128];
    memset(result, 'x', sizeof result);
    DirectoryNormalise(typed.c_str(), current, drive, result, sizeof result);
    EXPECT_NE(nullptr, memchr(result, '\0', sizeof result));
    return result;
}

}  // namespace

TEST(DirectoryNormalise, TheThreeFormsWithAKnownCurrentDirectory)
{
    const struct { const char *typed, *expected; } cases[] = {
        { "D:\\Prog\\Ed", "D:\\Prog\\Ed" },
        { "D:Prog", "D:\\Prog" },
        { "D:", "D:\\" },
        { "\\Prog", "C:\\Prog" },
        { "\\\\serveur\\part", "C:\\\\serveur\\part" },
        { "Prog", "C:\\W\\Prog" },
        { "", "C:\\W\\" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.expected, Normalise(c.typed, "C:\\W", kDriveC)) << c.typed;
    EXPECT_EQ("C:\\Prog", Normalise("Prog", "C:\\", kDriveC));
}

TEST(DirectoryNormalise, NoDriveLetter)
{
    /* rooted form on a network share: the share's root goes in front */
    EXPECT_EQ("\\\\srv\\part\\Prog", Normalise("\\Prog", "\\\\srv\\part\\w", 0));
    EXPECT_EQ("\\\\srv\\part\\Prog", Normalise("\\Prog", "\\\\srv\\part", 0));
    /* nothing known to put in front: the typed path alone */
    EXPECT_EQ("\\Prog", Normalise("\\Prog", "\\\\srv", 0));
    EXPECT_EQ("\\Prog", Normalise("\\Prog", nullptr, 0));
    EXPECT_EQ("Prog", Normalise("Prog", nullptr, 0));
    EXPECT_EQ("\\\\srv\\part\\w\\Prog", Normalise("Prog", "\\\\srv\\part\\w", 0));
}

TEST(DirectoryNormalise, LongResultsAreCutTo127)
{
    std::string longTyped = "D:\\" + std::string(300, 'a');
    EXPECT_EQ(longTyped.substr(0, 127), Normalise(longTyped, "C:\\W", kDriveC));
    std::string longCurrent = "C:\\" + std::string(200, 'c');
    std::string result = Normalise("Prog", longCurrent.c_str(), kDriveC);
    EXPECT_EQ(longCurrent.substr(0, 127), result);
    EXPECT_EQ(127u, Normalise("\\" + std::string(200, 'r'), "C:\\W", kDriveC).size());
}

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

namespace {

/* A 40-byte information header followed by colours 4-byte entries. */
std::string Info(int width, int height, int bits, unsigned compression = 0,
                 unsigned sizeImage = 0, unsigned used = 0, unsigned headerSize = 40,
                 int colours = -1, int planes = 1)
{
    std::string s(40, '\0');
    auto put32 = [&](int at, unsigned v) {
        for (int i = 0; i < 4; i++)
            s[at + i] = (char)(v >> (8 * i));
    };
    put32(0, headerSize);
    put32(4, (unsigned)width);
    put32(8, (unsigned)height);
    s[12] = (char)planes;
    s[14] = (char)bits;
    put32(16, compression);
    put32(20, sizeImage);
    put32(32, used);
    if (colours < 0)
        colours = bits <= 8 ? (used ? (int)used : 1 << bits) : 0;
    s += std::string(4 * colours, '\0');
    if (headerSize > 40 && s.size() < headerSize)
        s += std::string(headerSize - s.size(), '\0');
    return s;
}

int Check(const std::string &info, unsigned *pixels)
{
    return BitmapCheckInfo((const unsigned char *)info.data(), (unsigned)info.size(), pixels);
}

}  // namespace

TEST(BitmapCheck, ValidHeadersGiveThePixelCount)
{
    unsigned pixels = 0;
    EXPECT_EQ(0, Check(Info(100, 80, 24), &pixels));
    EXPECT_EQ(300u * 80, pixels);           /* biSizeImage 0: rows of 300 bytes */
    EXPECT_EQ(0, Check(Info(3, 2, 24, 0, 100), &pixels));
    EXPECT_EQ(100u, pixels);                 /* a larger biSizeImage is read whole */
    EXPECT_EQ(0, Check(Info(17, -5, 1), &pixels));
    EXPECT_EQ(4u * 5, pixels);               /* top-down */
    EXPECT_EQ(0, Check(Info(5, 5, 4), &pixels));
    EXPECT_EQ(0, Check(Info(5, 5, 8, 0, 0, 16), &pixels));
    EXPECT_EQ(0, Check(Info(5, 5, 32, 3, 0, 0, 40, 3), &pixels));
    EXPECT_EQ(0, Check(Info(5, 5, 16, 3, 0, 0, 124), &pixels));
    EXPECT_EQ(0, Check(Info(5, 5, 8, 1, 30), &pixels));
    EXPECT_EQ(30u, pixels);                  /* RLE8: biSizeImage bytes of runs */
    EXPECT_EQ(0, Check(Info(5, 5, 4, 2, 12), &pixels));
    EXPECT_EQ(12u, pixels);                  /* RLE4 */
    EXPECT_EQ(0, Check(Info(100000, 5, 24), &pixels));
    EXPECT_EQ(300000u * 5, pixels);          /* sides and sizes of any size a read can take */
    EXPECT_EQ(0, Check(Info(5, -100000, 24), &pixels));
    EXPECT_EQ(0, Check(Info(8192, 8192, 32), &pixels));
    EXPECT_EQ(256u << 20, pixels);
    EXPECT_EQ(0, BitmapCheckOffset(54));
    EXPECT_EQ(0, BitmapCheckOffset(54 + 5000));   /* a gap before the pixels */
}

TEST(BitmapCheck, MalformedHeadersAreRefused)
{
    unsigned pixels = 0;
    EXPECT_EQ(-1, BitmapCheckOffset(0));
    EXPECT_EQ(-1, BitmapCheckOffset(53));
    EXPECT_EQ(-1, Check(std::string(20, '\0'), &pixels));
    EXPECT_EQ(-1, Check(Info(5, 5, 24, 0, 0, 0, 12), &pixels));       /* core header */
    EXPECT_EQ(-1, Check(Info(5, 5, 24, 0, 0, 0, 64), &pixels));       /* unknown size */
    EXPECT_EQ(-1, Check(Info(5, 5, 24, 0, 0, 0, 124).substr(0, 60), &pixels));
    EXPECT_EQ(-1, Check(Info(5, 5, 24, 0, 0, 0, 40, 0, 2), &pixels));  /* planes */
    EXPECT_EQ(-1, Check(Info(5, 5, 7), &pixels));
    EXPECT_EQ(-1, Check(Info(5, 5, 8, 1), &pixels));                   /* RLE8 without its size */
    EXPECT_EQ(-1, Check(Info(5, -5, 8, 1, 30), &pixels));              /* RLE top-down */
    EXPECT_EQ(-1, Check(Info(5, 5, 8, 2, 30), &pixels));               /* RLE4 on 8 bits */
    EXPECT_EQ(-1, Check(Info(5, 5, 24, 3), &pixels));                  /* bit fields on 24 bits */
    EXPECT_EQ(-1, Check(Info(5, 5, 24, 4), &pixels));                  /* JPEG */
    EXPECT_EQ(-1, Check(Info(0, 5, 24), &pixels));
    EXPECT_EQ(-1, Check(Info(-5, 5, 24), &pixels));
    EXPECT_EQ(-1, Check(Info(5, 0, 24), &pixels));
    EXPECT_EQ(-1, Check(Info(40000, 40000, 32), &pixels));             /* past what one read takes */
    EXPECT_EQ(-1, Check(Info(0x7FFFFFFF, 0x7FFFFFFF, 32), &pixels));
    EXPECT_EQ(-1, Check(Info(5, 5, 8, 0, 0, 0, 40, 10), &pixels));     /* colour table cut */
    EXPECT_EQ(-1, Check(Info(5, 5, 8, 0, 0, 300), &pixels));           /* more colours than 8 bits */
    EXPECT_EQ(-1, Check(Info(5, 5, 32, 3, 0, 0, 40, 0), &pixels));     /* masks missing */
    EXPECT_EQ(-1, Check(Info(100, 80, 24, 0, 300 * 80 - 1), &pixels)); /* biSizeImage short */
}
