#include "ui/bmpcheck.h"

unsigned BitmapRead32(const unsigned char *p)
{
    return (unsigned)p[0] | (unsigned)p[1] << 8 | (unsigned)p[2] << 16 | (unsigned)p[3] << 24;
}

static unsigned BitmapRead16(const unsigned char *p)
{
    return (unsigned)p[0] | (unsigned)p[1] << 8;
}

int BitmapCheckOffset(unsigned offBits)
{
    return offBits < 14 + 40 ? -1 : 0;
}

int BitmapCheckInfo(const unsigned char *info, unsigned infoSize, unsigned *pixelBytes)
{
    if (infoSize < 40)
        return -1;
    unsigned headerSize = BitmapRead32(info);
    int width = (int)BitmapRead32(info + 4);
    int height = (int)BitmapRead32(info + 8);
    unsigned planes = BitmapRead16(info + 12);
    unsigned bitCount = BitmapRead16(info + 14);
    unsigned compression = BitmapRead32(info + 16);
    unsigned sizeImage = BitmapRead32(info + 20);
    unsigned coloursUsed = BitmapRead32(info + 32);

    /* The sizes of the tables and of the rows follow from the header only
       for the layouts known here: the information header and its V2, V3, V4
       and V5 extensions, one plane, the bit counts and compressions the
       format defines. */
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
        headerSize != 124)
        return -1;
    if (headerSize > infoSize || planes != 1)
        return -1;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return -1;
    int rle = (compression == 1 && bitCount == 8) || (compression == 2 && bitCount == 4);
    int bitFields = compression == 3 && (bitCount == 16 || bitCount == 32);
    if (compression != 0 && !rle && !bitFields)
        return -1;
    /* run-length pictures are always stored bottom-up */
    if (width <= 0 || height == 0 || (rle && height < 0))
        return -1;

    unsigned long long table = headerSize;
    if (bitFields && headerSize == 40)
        table += 12;
    if (bitCount <= 8) {
        unsigned maximum = 1u << bitCount;
        if (coloursUsed > maximum)
            return -1;
        table += 4ull * (coloursUsed != 0 ? coloursUsed : maximum);
    } else {
        table += 4ull * coloursUsed;
    }
    if (table > infoSize)
        return -1;

    /* one read of at most 4 GiB - 2, and a block one byte larger */
    if (sizeImage == 0xFFFFFFFFu)
        return -1;
    if (rle) {
        /* the runs are decoded from biSizeImage bytes, all of them read */
        if (sizeImage == 0)
            return -1;
        *pixelBytes = sizeImage;
        return 0;
    }
    unsigned long long rowBytes = ((unsigned long long)width * bitCount + 31) / 32 * 4;
    unsigned long long rows = height < 0 ? (unsigned long long)(-(long long)height)
                                         : (unsigned long long)height;
    /* the product is not formed where it would not fit */
    if (rowBytes > 0xFFFFFFFEull / rows)
        return -1;
    unsigned long long needed = rowBytes * rows;
    if (sizeImage == 0)
        sizeImage = (unsigned)needed;
    if (sizeImage < needed)
        return -1;
    *pixelBytes = sizeImage;
    return 0;
}
