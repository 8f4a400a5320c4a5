#include "ui/bmpcheck.h"

#include <string.h>

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

static int BitmapRefuse(struct BitmapVerdict *verdict, int rule)
{
    verdict->rule = rule;
    return -1;
}

int BitmapJudgeInfo(const unsigned char *info, unsigned infoSize, struct BitmapVerdict *v)
{
    memset(v, 0, sizeof *v);
    if (infoSize < 40)
        return BitmapRefuse(v, BITMAP_NO_HEADER);
    v->headerSize = BitmapRead32(info);
    v->width = (int)BitmapRead32(info + 4);
    v->height = (int)BitmapRead32(info + 8);
    v->planes = BitmapRead16(info + 12);
    v->bitCount = BitmapRead16(info + 14);
    v->compression = BitmapRead32(info + 16);
    v->sizeImage = BitmapRead32(info + 20);
    v->coloursUsed = BitmapRead32(info + 32);
    unsigned bitCount = v->bitCount;
    unsigned compression = v->compression;

    /* The sizes of the tables and of the rows follow from the header only
       for the layouts known here: the information header and its V2, V3, V4
       and V5 extensions, one plane, the bit counts and compressions the
       format defines. */
    if (v->headerSize != 40 && v->headerSize != 52 && v->headerSize != 56 &&
        v->headerSize != 108 && v->headerSize != 124)
        return BitmapRefuse(v, BITMAP_HEADER_SIZE);
    if (v->headerSize > infoSize)
        return BitmapRefuse(v, BITMAP_HEADER_CUT);
    if (v->planes != 1)
        return BitmapRefuse(v, BITMAP_PLANES);
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return BitmapRefuse(v, BITMAP_BIT_COUNT);
    int rle = (compression == 1 && bitCount == 8) || (compression == 2 && bitCount == 4);
    int bitFields = compression == 3 && (bitCount == 16 || bitCount == 32);
    if (compression != 0 && !rle && !bitFields)
        return BitmapRefuse(v, BITMAP_COMPRESSION);
    if (v->width <= 0)
        return BitmapRefuse(v, BITMAP_WIDTH);
    if (v->height == 0)
        return BitmapRefuse(v, BITMAP_HEIGHT);
    /* run-length pictures are always stored bottom-up */
    if (rle && v->height < 0)
        return BitmapRefuse(v, BITMAP_RLE_TOP_DOWN);

    v->tableEnd = v->headerSize;
    if (bitFields && v->headerSize == 40)
        v->tableEnd += 12;
    if (bitCount <= 8) {
        unsigned maximum = 1u << bitCount;
        if (v->coloursUsed > maximum)
            return BitmapRefuse(v, BITMAP_COLOURS);
        v->tableEnd += 4ull * (v->coloursUsed != 0 ? v->coloursUsed : maximum);
    } else {
        v->tableEnd += 4ull * v->coloursUsed;
    }
    if (v->tableEnd > infoSize)
        return BitmapRefuse(v, BITMAP_TABLE_CUT);

    /* one read of at most 4 GiB - 2, and a block one byte larger */
    if (v->sizeImage == 0xFFFFFFFFu)
        return BitmapRefuse(v, BITMAP_PIXELS_TOO_LARGE);
    if (rle) {
        /* the runs are decoded from biSizeImage bytes, all of them read */
        if (v->sizeImage == 0)
            return BitmapRefuse(v, BITMAP_RLE_NO_SIZE);
        v->pixelBytes = v->sizeImage;
        return 0;
    }
    v->rowBytes = ((unsigned long long)v->width * bitCount + 31) / 32 * 4;
    v->rows = v->height < 0 ? (unsigned long long)(-(long long)v->height)
                            : (unsigned long long)v->height;
    /* the product is not formed where it would not fit */
    if (v->rowBytes > 0xFFFFFFFEull / v->rows)
        return BitmapRefuse(v, BITMAP_PIXELS_TOO_LARGE);
    v->needed = v->rowBytes * v->rows;
    if (v->sizeImage != 0 && v->sizeImage < v->needed)
        return BitmapRefuse(v, BITMAP_SIZE_SHORT);
    v->pixelBytes = v->sizeImage != 0 ? v->sizeImage : (unsigned)v->needed;
    return 0;
}

int BitmapCheckInfo(const unsigned char *info, unsigned infoSize, unsigned *pixelBytes)
{
    struct BitmapVerdict verdict;
    if (BitmapJudgeInfo(info, infoSize, &verdict) != 0)
        return -1;
    *pixelBytes = verdict.pixelBytes;
    return 0;
}
