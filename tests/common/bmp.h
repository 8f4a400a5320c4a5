#ifndef TAVELIN_TESTS_COMMON_BMP_H
#define TAVELIN_TESTS_COMMON_BMP_H

/* BMP files of any shape for the tests, right or crafted wrong: a 14-byte
   file header, the information block (header, masks, colour table) and the
   pixels. No Windows header: the native tests use it too. */

#include <stddef.h>

#include <string>
#include <vector>

struct BmpLayout {
    int width = 4, height = 3;
    unsigned bits = 24, compression = 0, planes = 1;
    unsigned headerSize = 40;    /* a larger header is zero-filled to this size */
    int sizeImage = -1;          /* -1: what the rows need */
    unsigned coloursUsed = 0;
    int tableEntries = -1;       /* -1: coloursUsed, or what the bit count needs */
    std::vector<unsigned> palette;     /* the first entries; the others grey */
    unsigned masks = 0;          /* 4-byte masks after a 40-byte header */
    std::vector<unsigned> maskValues;  /* the masks, when not red, green, blue */
    unsigned gap = 0;            /* zero bytes between the table and the pixels */
    unsigned offBits = 0;        /* 0: where the pixels follow the gap */
    int pixelBytes = -1;         /* -1: biSizeImage, or what the rows need when it is 0 */
    std::string data;            /* the first pixel bytes; the others are fill */
    unsigned char fill = 0;
};

/* The information block alone, as the loader reads it from byte 14 on. */
std::string BmpInfo(const BmpLayout &layout);
/* The whole file. */
std::string BmpFile(const BmpLayout &layout);
/* Overwrites the little-endian field at `at`. */
void BmpPut32(std::string *bytes, size_t at, unsigned value);

#endif
