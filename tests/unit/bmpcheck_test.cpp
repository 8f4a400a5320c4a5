#include <gtest/gtest.h>

#include <string>

#include "tests/common/bmp.h"
#include "ui/bmpcheck.h"

namespace {

/* The information block of a picture; biSizeImage 0 unless given, and as
   many table entries as the bit count needs unless given. */
std::string Info(int width, int height, unsigned bits, unsigned compression = 0,
                 int sizeImage = 0, unsigned used = 0, unsigned headerSize = 40,
                 int entries = -1, unsigned planes = 1)
{
    BmpLayout b;
    b.width = width;
    b.height = height;
    b.bits = bits;
    b.compression = compression;
    b.sizeImage = sizeImage;
    b.coloursUsed = used;
    b.headerSize = headerSize;
    b.tableEntries = entries;
    b.planes = planes;
    return BmpInfo(b);
}

/* The block with biSizeImage overwritten. */
std::string WithSizeImage(std::string info, unsigned sizeImage)
{
    BmpPut32(&info, 20, sizeImage);
    return info;
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
    EXPECT_EQ(-1, BitmapCheckOffset(0));
    EXPECT_EQ(-1, BitmapCheckOffset(53));
    /* each refused by its rule, which setupcheck names to the packager */
    const struct {
        const char *what;
        std::string info;
        int rule;
    } cases[] = {
        {"no header", std::string(20, '\0'), BITMAP_NO_HEADER},
        {"core header", Info(5, 5, 24, 0, 0, 0, 12), BITMAP_HEADER_SIZE},
        {"unknown size", Info(5, 5, 24, 0, 0, 0, 64), BITMAP_HEADER_SIZE},
        {"header cut", Info(5, 5, 24, 0, 0, 0, 124).substr(0, 60), BITMAP_HEADER_CUT},
        {"planes", Info(5, 5, 24, 0, 0, 0, 40, 0, 2), BITMAP_PLANES},
        {"7 bits", Info(5, 5, 7), BITMAP_BIT_COUNT},
        {"RLE8 without its size", Info(5, 5, 8, 1), BITMAP_RLE_NO_SIZE},
        {"RLE top-down", Info(5, -5, 8, 1, 30), BITMAP_RLE_TOP_DOWN},
        {"RLE4 on 8 bits", Info(5, 5, 8, 2, 30), BITMAP_COMPRESSION},
        {"bit fields on 24 bits", Info(5, 5, 24, 3), BITMAP_COMPRESSION},
        {"JPEG", Info(5, 5, 24, 4), BITMAP_COMPRESSION},
        {"width 0", Info(0, 5, 24), BITMAP_WIDTH},
        {"width negative", Info(-5, 5, 24), BITMAP_WIDTH},
        {"height 0", Info(5, 0, 24), BITMAP_HEIGHT},
        {"past what one read takes", Info(40000, 40000, 32), BITMAP_PIXELS_TOO_LARGE},
        {"largest sides", Info(0x7FFFFFFF, 0x7FFFFFFF, 32), BITMAP_PIXELS_TOO_LARGE},
        {"biSizeImage of 4 GiB", WithSizeImage(Info(5, 5, 24), 0xFFFFFFFFu),
         BITMAP_PIXELS_TOO_LARGE},
        {"colour table cut", Info(5, 5, 8, 0, 0, 0, 40, 10), BITMAP_TABLE_CUT},
        {"more colours than 8 bits", Info(5, 5, 8, 0, 0, 300), BITMAP_COLOURS},
        {"masks missing", Info(5, 5, 32, 3, 0, 0, 40, 0), BITMAP_TABLE_CUT},
        {"biSizeImage short", Info(100, 80, 24, 0, 300 * 80 - 1), BITMAP_SIZE_SHORT},
        {"rows not padded", Info(50, 40, 24, 0, 150 * 40), BITMAP_SIZE_SHORT},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        unsigned pixels = 0;
        EXPECT_EQ(-1, Check(c.info, &pixels));
        BitmapVerdict verdict;
        EXPECT_EQ(-1, BitmapJudgeInfo((const unsigned char *)c.info.data(),
                                      (unsigned)c.info.size(), &verdict));
        EXPECT_EQ(c.rule, verdict.rule);
    }
    /* the figures the packager is told of a picture whose rows are not padded */
    BitmapVerdict verdict;
    std::string unpadded = Info(50, 40, 24, 0, 150 * 40);
    BitmapJudgeInfo((const unsigned char *)unpadded.data(), (unsigned)unpadded.size(), &verdict);
    EXPECT_EQ(6000u, verdict.sizeImage);
    EXPECT_EQ(152u, verdict.rowBytes);
    EXPECT_EQ(6080u, verdict.needed);
}
