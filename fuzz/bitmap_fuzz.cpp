/* Picture bytes up to the header checks: a file accepted by the checks must
   describe pixel data the rows can be read from without running past it. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "ui/bmpcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 14)
        return 0;
    unsigned offBits = data[10] | data[11] << 8 | data[12] << 16 | (unsigned)data[13] << 24;
    if (BitmapCheckOffset(offBits) != 0)
        return 0;
    unsigned infoSize = offBits - 14;
    if (size - 14 < infoSize)
        return 0;
    unsigned char *info = (unsigned char *)malloc(infoSize);
    memcpy(info, data + 14, infoSize);
    unsigned pixelBytes = 0;
    if (BitmapCheckInfo(info, infoSize, &pixelBytes) == 0) {
        int width = (int)(info[4] | info[5] << 8 | info[6] << 16 | (unsigned)info[7] << 24);
        int height = (int)(info[8] | info[9] << 8 | info[10] << 16 | (unsigned)info[11] << 24);
        unsigned bits = info[14] | info[15] << 8;
        unsigned long long rows = height < 0 ? -(long long)height : height;
        unsigned long long need = ((unsigned long long)width * bits + 31) / 32 * 4 * rows;
        if (width <= 0 || rows == 0 || pixelBytes < need || pixelBytes > BITMAP_PIXEL_LIMIT)
            abort();
    }
    free(info);
    return 0;
}
