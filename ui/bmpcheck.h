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

#endif
