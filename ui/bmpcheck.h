#ifndef TAVELIN_UI_BMPCHECK_H
#define TAVELIN_UI_BMPCHECK_H

/* Checks of a BMP file's headers before anything is allocated or handed to
   the system. No Windows header: fuzzed natively. */

/* The largest information block (header, masks and colour table) and pixel
   data accepted; anything larger is taken for a broken file. */
#define BITMAP_INFO_LIMIT 4096
#define BITMAP_PIXEL_LIMIT (64 * 1024 * 1024)

/* A little-endian 32-bit field of the headers. */
unsigned BitmapRead32(const unsigned char *p);

/* bfOffBits of the 14-byte file header: the information block runs from 14 to
   there and must at least hold a 40-byte information header. */
int BitmapCheckOffset(unsigned offBits);

/* The information block as read (infoSize bytes). On success stores the
   number of pixel bytes to read: biSizeImage, or what the rows need when it
   is 0. */
int BitmapCheckInfo(const unsigned char *info, unsigned infoSize, unsigned *pixelBytes);

#endif
