#ifndef TAVELIN_UI_BAR_H
#define TAVELIN_UI_BAR_H

/* Figures of the progress bars; no Windows header, fuzzed natively. */

/* done * 100 / size, truncated, without overflow for any file size; 0 when
   size is not positive, and at most INT_MAX. */
int ProgressPercent(long long done, long long size);

/* The parts of one bar of width W for a percentage: blue [0, fill), a black
   column at fill when fill < W, grey [fill + 1, fill + 1 + grey), white
   [fill + 4, W) when fill + 4 < W. */
struct ProgressBarParts {
    int fill;
    int blackColumn;   /* 1 when the black column is painted */
    int greyWidth;
    int whiteStart;    /* W when there is no white */
};
void ProgressBarLayout(unsigned percentage, int width, ProgressBarParts *parts);

#endif
