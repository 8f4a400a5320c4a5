#include "ui/dirpath.h"

#include "script/entry.h"
#include "util/text.h"

void DirectoryProposal(const char *programFiles, const char *applicationName, char *result,
                       int capacity)
{
    EntryJoinPath(result, capacity, programFiles, applicationName);
}

long long DirectorySizeKilobytes(long long totalSize)
{
    long long kilobytes = (totalSize + 1023) / 1024;
    return kilobytes > DIRECTORY_KILOBYTES_MOST ? DIRECTORY_KILOBYTES_MOST : kilobytes;
}

/* Length of the "\\server\share" prefix of a network path, 0 if none. */
static int DirectoryNetworkRoot(const char *path)
{
    if (path == 0 || path[0] != '\\' || path[1] != '\\')
        return 0;
    int i = 2;
    while (path[i] != '\0' && path[i] != '\\')
        i++;
    if (i == 2 || path[i] != '\\')
        return 0;
    int share = ++i;
    while (path[i] != '\0' && path[i] != '\\')
        i++;
    return i > share ? i : 0;
}

void DirectoryNormalise(const char *typed, const char *currentDirectory, int currentDrive,
                        char *result, int capacity)
{
    int typedLength = TextLength(typed);
    int end;

    if (typed[0] != '\0' && typed[1] == ':') {
        /* A drive letter followed by a name is taken from that drive's root. */
        end = TextBoundedCopy(result, capacity, typed, 2);
        if (typed[2] != '\\')
            end = TextBoundedAppend(result, capacity, end, "\\", 1);
        TextBoundedAppend(result, capacity, end, typed + 2, typedLength - 2);
    } else if (typed[0] == '\\') {
        if (currentDrive >= 1 && currentDrive <= 26) {
            char drive[2] = { (char)('A' + currentDrive - 1), ':' };
            end = TextBoundedCopy(result, capacity, drive, 2);
        } else {
            /* No drive letter: the root of the current network share, or
               the typed path alone when even that is unknown. */
            end = TextBoundedCopy(result, capacity, currentDirectory,
                                  DirectoryNetworkRoot(currentDirectory));
        }
        TextBoundedAppend(result, capacity, end, typed, typedLength);
    } else if (currentDirectory != 0) {
        int length = TextLength(currentDirectory);
        end = TextBoundedCopy(result, capacity, currentDirectory, length);
        if (length == 0 || currentDirectory[length - 1] != '\\')
            end = TextBoundedAppend(result, capacity, end, "\\", 1);
        TextBoundedAppend(result, capacity, end, typed, typedLength);
    } else {
        TextBoundedCopy(result, capacity, typed, typedLength);
    }
}
