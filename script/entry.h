#ifndef TAVELIN_SCRIPT_ENTRY_H
#define TAVELIN_SCRIPT_ENTRY_H

/* What the entries of the script mean: a Fichiers value, a Groupe value, the
   Suffixes list, and the paths made of them. Everything is read into the
   program's own fixed buffers with the bounded text operations, so it is cut
   where the program cuts it. No Windows header: setupcheck and the fuzzers
   build this natively. */

#include "util/capacity.h"

/* Fichiers: a value starting with '%' names a file of the Windows directory;
   the '%' is dropped and the rest copied into entryValue (at most capacity
   - 1 characters). Returns 1 for a Windows-directory entry, else 0. */
int EntryReadFile(const char *value, int valueLength, char *entryValue, int capacity);

/* Cuts entryValue at its last ';', where it then holds the destination
   name, and returns the source name behind it; without a ';' the whole
   value is both. Nothing is trimmed. */
const char *EntrySplitFile(char *entryValue);

/* folder, a backslash whatever folder ends with, and name. Returns the
   length. */
int EntryJoinPath(char *path, int capacity, const char *folder, const char *name);

/* path holds the Windows directory, end characters: a backslash unless it
   ends with one, then name. Returns -1 when the whole does not fit: such a
   path would name some other file. */
int EntryJoinWindows(char *path, int capacity, int end, const char *name);

/* The next '\' of path at or after position at which a directory is
   created, -1 when there is none. Never before the fourth character: a
   drive root such as C:\ is not created. */
int EntryNextDirectory(const char *path, int position);

/* Groupe: "target,description,icon,index", fields cut to 259 characters. */
struct EntryShortcut {
    char target[SETUP_PATH_CAPACITY]; /* relative to the installation directory */
    char description[SETUP_PATH_CAPACITY];
    int iconInInstallDir;             /* the icon field began with '%' */
    char iconFile[SETUP_PATH_CAPACITY]; /* without that '%' */
    int iconIndex;                    /* the number the rest begins with, 0 if none */
};

/* Returns where the icon index begins in entryValue (its end when the value
   has fewer than three commas). */
int EntrySplitShortcut(const char *entryValue, EntryShortcut *fields);

/* The target path and the icon location of a shortcut. */
void EntryShortcutPaths(const EntryShortcut *fields, const char *installDir, char *target,
                        int targetCapacity, char *icon, int iconCapacity);

/* The next word of a Suffixes list, separated by blanks and tabs: returns 0
   with its start and length, or -1 when no word is left. */
int EntryNextSuffix(const char **cursor, const char **word, int *length);

#endif
