/* Picture bytes up to the header checks: a file accepted by the checks must
   describe pixel data that the system reads without running past what the
   loader read: rows of uncompressed pixels within the pixel bytes, runs
   decoded from a non-empty block, and the block one byte larger than it. */
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
        int width = (int)BitmapRead32(info + 4);
        int height = (int)BitmapRead32(info + 8);
        unsigned bits = info[14] | info[15] << 8;
        unsigned compression = BitmapRead32(info + 16);
        unsigned long long rows = height < 0 ? -(long long)height : height;
        unsigned long long rowBytes = ((unsigned long long)width * bits + 31) / 32 * 4;
        if (width <= 0 || rows == 0 || pixelBytes == 0xFFFFFFFFu)
            abort();
        if (compression == 1 || compression == 2) {
            if (pixelBytes == 0 || height < 0)
                abort();
        } else if (rowBytes > pixelBytes / rows) {
            abort();
        }
    }
    free(info);
    return 0;
}
