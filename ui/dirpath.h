#ifndef TAVELIN_UI_DIRPATH_H
#define TAVELIN_UI_DIRPATH_H

/* The directory of the Directory dialog: what it proposes, the size it
   shows, and what it makes of what the user typed. No Windows header:
   fuzzed natively, and setupcheck plans with it. */

/* The largest figure of kilobytes the dialog shows: its format's %ld takes
   32 bits. */
#define DIRECTORY_KILOBYTES_MOST 0x7fffffffLL

/* The proposal when the system names its program-files directory: that
   directory, a backslash and the product's name, cut to capacity - 1
   characters. */
void DirectoryProposal(const char *programFiles, const char *applicationName, char *result,
                       int capacity);

/* The figure of the size text: the bytes rounded up to whole kilobytes, at
   most DIRECTORY_KILOBYTES_MOST (2 TiB). */
long long DirectorySizeKilobytes(long long totalSize);

/* Turns what the user typed into a full directory. currentDirectory is null
   when it could not be read; currentDrive is 1 for A: and so on, 0 when the
   current directory has no drive letter. The result is cut to capacity - 1
   characters. */
void DirectoryNormalise(const char *typed, const char *currentDirectory, int currentDrive,
                        char *result, int capacity);

#endif
