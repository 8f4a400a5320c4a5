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
