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
    if (offBits < 14 + 40 || offBits - 14 > BITMAP_INFO_LIMIT)
        return -1;
    return 0;
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

    /* information header, and its V2, V3, V4 and V5 extensions */
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
        headerSize != 124)
        return -1;
    if (headerSize > infoSize || planes != 1)
        return -1;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return -1;
    /* uncompressed, or bit fields for 16 and 32 bits */
    if (compression != 0 && !(compression == 3 && (bitCount == 16 || bitCount == 32)))
        return -1;
    if (width <= 0 || width > 32768 || height == 0 || height < -32768 || height > 32768)
        return -1;

    unsigned long long table = headerSize;
    if (compression == 3 && headerSize == 40)
        table += 12;
    if (bitCount <= 8) {
        unsigned maximum = 1u << bitCount;
        if (coloursUsed > maximum)
            return -1;
        table += 4ull * (coloursUsed != 0 ? coloursUsed : maximum);
    } else if (coloursUsed > 256) {
        return -1;
    } else {
        table += 4ull * coloursUsed;
    }
    if (table > infoSize)
        return -1;

    unsigned long long rowBytes = ((unsigned long long)width * bitCount + 31) / 32 * 4;
    unsigned long long rows = height < 0 ? (unsigned long long)(-(long long)height)
                                         : (unsigned long long)height;
    unsigned long long needed = rowBytes * rows;
    if (needed > BITMAP_PIXEL_LIMIT)
        return -1;
    if (sizeImage == 0)
        sizeImage = (unsigned)needed;
    if (sizeImage < needed || sizeImage > BITMAP_PIXEL_LIMIT)
        return -1;
    *pixelBytes = sizeImage;
    return 0;
}
