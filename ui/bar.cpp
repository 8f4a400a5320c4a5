#include "ui/bar.h"

int ProgressPercent(int done, int size)
{
    if (size <= 0)
        return 0;
    long long percent = (long long)done * 100 / size;
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
