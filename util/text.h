#ifndef TAVELIN_UTIL_TEXT_H
#define TAVELIN_UTIL_TEXT_H

/* Bounded text and path operations. No Windows header here: these files
   also build natively for the fuzzers. Every writer takes the capacity of its
   buffer, terminator included, and cuts silently what does not fit. */

int TextComparePrefix(const char *a, const char *b, int count);
int TextBoundedCopy(char *destination, int capacity, const char *source, int count);
int TextBoundedAppend(char *destination, int capacity, int position,
                      const char *source, int count);
void TextNextToken(const char **cursor, char *output, int capacity, char separator);
int TextLength(const char *text);
int TextToInteger(const char *text);

void PathSplit(const char *path, int *drivePrefixLength, int *directoryLength,
               int *extensionOffset);

#endif
