#ifndef TAVELIN_SCRIPT_SCAN_H
#define TAVELIN_SCRIPT_SCAN_H

/* Lexical scanning of the setup script text in place. The text ends at its
   first zero byte. No Windows header: the fuzzers build this natively. */

int ScriptScanEntry(const char *line, int *keyLength, const char **valuePtr,
                    int *valueLength);
int ScriptSeekSection(const char *text, const char *name, int *scanOffset);
int ScriptLineEnd(const char *line, int *contentLength);

#endif
