#include "script/scan.h"

#include "util/text.h"

/* Returns the length of the line end (0, 1 or 2) and stores the length of the
   content. Only a carriage return directly before the line feed belongs to
   the line end; a lone one is ordinary content. */
int ScriptLineEnd(const char *line, int *contentLength)
{
    int i = 0;
    while (line[i] != '\0' && line[i] != '\n')
        i++;
    if (line[i] == '\0') {
        *contentLength = i;
        return 0;
    }
    if (i > 0 && line[i - 1] == '\r') {
        *contentLength = i - 1;
        return 2;
    }
    *contentLength = i;
    return 1;
}

int ScriptHeaderMatches(const char *line, int contentLength, const char *name)
{
    /* The closing bracket is not looked at: '[Fichiers2' matches too. The
       content is compared only as far as it goes, so a short header such as
       '[Fich' never matches. */
    int nameLength = TextLength(name);
    return contentLength >= 1 && line[0] == '[' && contentLength - 1 >= nameLength &&
           TextComparePrefix(line + 1, name, nameLength) == 0;
}

int ScriptKeyMatches(const char *line, const char *key)
{
    /* The comparison stops at the first difference, at the latest at the
       line's end: a key holds no line end and no zero byte. */
    return TextComparePrefix(line, key, TextLength(key)) == 0;
}

int ScriptSeekSection(const char *text, const char *name, int *scanOffset)
{
    int offset = 0;
    while (text[offset] != '\0') {
        const char *line = text + offset;
        int content;
        int end = ScriptLineEnd(line, &content);
        int matched = ScriptHeaderMatches(line, content, name);
        offset += content + end;
        if (matched) {
            *scanOffset = offset;
            return 0;
        }
    }
    *scanOffset = offset;
    return -1;
}

int ScriptScanEntry(const char *line, int *keyLength, const char **valuePtr,
                    int *valueLength)
{
    if (line[0] == '\0' || line[0] == '[')
        return 0;
    *keyLength = 0;
    *valuePtr = 0;
    *valueLength = 0;

    int n;
    int e = ScriptLineEnd(line, &n);
    if (n == 0 || line[0] == ';')
        return n + e;

    int equals = 0;
    while (equals < n && line[equals] != '=')
        equals++;
    if (equals == n) {
        *keyLength = n;
        *valuePtr = line + n;
        return n + e;
    }

    int key = equals;
    while (key > 0 && (line[key - 1] == ' ' || line[key - 1] == '\t'))
        key--;
    *keyLength = key;

    int s = key;
    while (s < n && (line[s] == ' ' || line[s] == '\t' || line[s] == '='))
        s++;
    *valuePtr = line + s;
    *valueLength = n - s;
    return n + e;
}
