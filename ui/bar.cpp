#include "ui/bar.h"

int ProgressPercent(long long done, long long size)
{
    if (size <= 0 || done <= 0)
        return 0;
    /* done * 100 fits for every size a file system holds; beyond that the
       hundredth of size is near enough */
    long long percent = 0x7fffffffLL;
    if (done <= 0x7fffffffffffffffLL / 100)
        percent = done * 100 / size;
    else if (size >= 100)
        percent = done / (size / 100);
    if (percent > 0x7fffffffLL)
        percent = 0x7fffffffLL;
    if (percent < 0)
        percent = 0;
    return (int)percent;
}

void ProgressBarLayout(unsigned percentage, int width, ProgressBarParts *parts)
{
    long long fill = (long long)percentage * width / 100;
    parts->fill = fill > 0x7fffffffLL ? 0x7fffffff : (int)fill;
    int w = parts->fill;
    parts->blackColumn = w < width ? 1 : 0;
    parts->greyWidth = 0;
    if (w + 1 < width)
        parts->greyWidth = w + 4 < width ? 3 : width - (w + 1);
    parts->whiteStart = w + 4 < width ? w + 4 : width;
}
