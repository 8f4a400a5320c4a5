#ifndef TAVELIN_SCRIPT_SCAN_H
#define TAVELIN_SCRIPT_SCAN_H

/* Lexical scanning of the setup script text in place. The text ends at its
   first zero byte. No Windows header: the fuzzers build this natively. */

int ScriptScanEntry(const char *line, int *keyLength, const char **valuePtr,
                    int *valueLength);
int ScriptSeekSection(const char *text, const char *name, int *scanOffset);
int ScriptLineEnd(const char *line, int *contentLength);

/* Whether a line whose content has contentLength characters is a header of
   the section name: it starts with '[' and the name, case-sensitively; what
   follows, a closing bracket or not, is not looked at. */
int ScriptHeaderMatches(const char *line, int contentLength, const char *name);

/* Whether a line of a section sets the key: it starts with the key's
   characters, case-sensitively, in the first column. A longer key that
   begins with them ("Titre2") sets it too. */
int ScriptKeyMatches(const char *line, const char *key);

#endif
