#ifndef TAVELIN_UI_BMPCHECK_H
#define TAVELIN_UI_BMPCHECK_H

/* Checks of a BMP file's headers before they are handed to the system: what
   the system reads of the two blocks the loader read (the information block
   and the pixel data) must lie inside them. Nothing else is refused here; a
   picture the system cannot draw is its refusal. No Windows header: fuzzed
   natively. */

/* A little-endian 32-bit field of the headers. */
unsigned BitmapRead32(const unsigned char *p);

/* bfOffBits of the 14-byte file header: the information block runs from 14 to
   there and must at least hold a 40-byte information header. A gap after the
   colour table is allowed. */
int BitmapCheckOffset(unsigned offBits);

/* The information block as read (infoSize bytes): a header of a known size,
   with its masks and colour table inside the block. On success stores the
   number of pixel bytes to read: for uncompressed pixels biSizeImage, at
   least what the rows need, or that when it is 0; for RLE8 and RLE4,
   biSizeImage, which must not be 0. */
int BitmapCheckInfo(const unsigned char *info, unsigned infoSize, unsigned *pixelBytes);

/* The rule of BitmapCheckInfo that refuses a block. The program shows one
   message whatever the rule; setupcheck tells the packager which. */
enum BitmapRule {
    BITMAP_ACCEPTED,
    BITMAP_NO_HEADER,       /* the block is shorter than a 40-byte header */
    BITMAP_HEADER_SIZE,     /* biSize is none of 40, 52, 56, 108, 124 */
    BITMAP_HEADER_CUT,      /* biSize runs past the block */
    BITMAP_PLANES,          /* biPlanes is not 1 */
    BITMAP_BIT_COUNT,       /* biBitCount is none of 1, 4, 8, 16, 24, 32 */
    BITMAP_COMPRESSION,     /* no layout of that compression and bit count */
    BITMAP_WIDTH,           /* 0 or negative */
    BITMAP_HEIGHT,          /* 0 */
    BITMAP_RLE_TOP_DOWN,    /* run-length pixels with a negative height */
    BITMAP_COLOURS,         /* biClrUsed above what the bit count can name */
    BITMAP_TABLE_CUT,       /* the masks or the colour table run past the block */
    BITMAP_PIXELS_TOO_LARGE,/* 4 GiB of pixels or more: one read cannot take them */
    BITMAP_RLE_NO_SIZE,     /* run-length pixels whose biSizeImage is 0 */
    BITMAP_SIZE_SHORT       /* biSizeImage below what the rows need */
};

/* What the check read and decided: the header's fields, and the figures the
   refusing rule compared. */
struct BitmapVerdict {
    int rule;                    /* a BitmapRule */
    int width;
    int height;
    unsigned headerSize;
    unsigned planes;
    unsigned bitCount;
    unsigned compression;
    unsigned sizeImage;          /* as written in the header */
    unsigned coloursUsed;
    unsigned long long tableEnd; /* where the header, masks and colour table end in the block */
    unsigned long long rowBytes; /* one row of uncompressed pixels, padded to 4 bytes */
    unsigned long long rows;
    unsigned long long needed;   /* rowBytes times rows */
    unsigned pixelBytes;         /* what the loader reads, when accepted */
};

/* BitmapCheckInfo with its reasons: 0 when accepted, else -1 with the rule
   that refused in verdict->rule. */
int BitmapJudgeInfo(const unsigned char *info, unsigned infoSize, struct BitmapVerdict *verdict);

#endif
