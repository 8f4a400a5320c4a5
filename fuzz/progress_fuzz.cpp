/* Byte counts through percentages and bar widths: no overflow, no division
   by zero, and bar parts that stay within the bar. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "ui/bar.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    long long values[3] = { 0, 0, 0 };
    memcpy(values, data, size < sizeof values ? size : sizeof values);
    int percent = ProgressPercent(values[0], values[1]);
    if (percent < 0)
        abort();
    if (values[1] > 0 && values[0] >= 0 && values[0] <= values[1] && percent > 100)
        abort();
    int width = (int)(values[2] & 0xFFFF);
    ProgressBarParts parts;
    ProgressBarLayout((unsigned)(percent > 0xFFFF ? 0xFFFF : percent), width, &parts);
    if (parts.greyWidth < 0 || parts.greyWidth > 3 || parts.whiteStart > width)
        abort();
    if (parts.fill < width && parts.fill + 1 + parts.greyWidth > width)
        abort();
    return 0;
}
