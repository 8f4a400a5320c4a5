#ifndef TAVELIN_UI_DIRPATH_H
#define TAVELIN_UI_DIRPATH_H

/* Turns what the user typed in the Directory dialog into a full directory.
   currentDirectory is null when it could not be read; currentDrive is 1 for
   A: and so on, 0 when the current directory has no drive letter. The result
   is cut to capacity - 1 characters. No Windows header: fuzzed natively. */
void DirectoryNormalise(const char *typed, const char *currentDirectory, int currentDrive,
                        char *result, int capacity);

#endif
