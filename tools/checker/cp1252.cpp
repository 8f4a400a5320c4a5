/* Code page 1252 against UTF-8, and its capitals as Windows folds names. */
#include "tools/checker/cp1252.h"

/* Unicode of the bytes 0x80 to 0x9F; 0 for the undefined ones. */
static const unsigned short highControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool Cp1252IsUndefined(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F && highControls[byte - 0x80] == 0;
}

static unsigned Cp1252CodePoint(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F && highControls[byte - 0x80] != 0)
        return highControls[byte - 0x80];
    return byte;
}

static void AppendUtf8(std::string *out, unsigned c)
{
    if (c < 0x80) {
        out->push_back((char)c);
    } else if (c < 0x800) {
        out->push_back((char)(0xC0 | c >> 6));
        out->push_back((char)(0x80 | (c & 0x3F)));
    } else {
        out->push_back((char)(0xE0 | c >> 12));
        out->push_back((char)(0x80 | ((c >> 6) & 0x3F)));
        out->push_back((char)(0x80 | (c & 0x3F)));
    }
}

std::string Cp1252ToUtf8(const std::string &bytes)
{
    std::string out;
    for (unsigned char b : bytes)
        AppendUtf8(&out, Cp1252CodePoint(b));
    return out;
}

/* Length of the UTF-8 sequence at p (at most n bytes there) and its code
   point; 0 when p starts no valid sequence. */
static int Utf8Decode(const unsigned char *p, size_t n, unsigned *codePoint)
{
    if (n == 0)
        return 0;
    if (p[0] < 0x80) {
        *codePoint = p[0];
        return 1;
    }
    int length;
    unsigned c;
    if (p[0] >= 0xC2 && p[0] <= 0xDF) {
        length = 2;
        c = p[0] & 0x1F;
    } else if (p[0] >= 0xE0 && p[0] <= 0xEF) {
        length = 3;
        c = p[0] & 0x0F;
    } else if (p[0] >= 0xF0 && p[0] <= 0xF4) {
        length = 4;
        c = p[0] & 0x07;
    } else {
        return 0;
    }
    if (n < (size_t)length)
        return 0;
    for (int i = 1; i < length; i++) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        c = c << 6 | (p[i] & 0x3F);
    }
    if ((length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)) ||
        (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    *codePoint = c;
    return length;
}

bool Utf8ToCp1252(const std::string &text, std::string *bytes)
{
    std::string out;
    const unsigned char *p = (const unsigned char *)text.data();
    size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        unsigned c;
        int length = Utf8Decode(p + i, n - i, &c);
        if (length == 0)
            return false;
        i += (size_t)length;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.push_back((char)c);
            continue;
        }
        int found = -1;
        for (int k = 0; k < 32; k++) {
            if (highControls[k] == c || (highControls[k] == 0 && c == 0x80u + (unsigned)k))
                found = k;
        }
        if (found < 0)
            return false;
        out.push_back((char)(0x80 + found));
    }
    *bytes = out;
    return true;
}

unsigned char Cp1252Upper(unsigned char byte)
{
    if (byte >= 'a' && byte <= 'z')
        return (unsigned char)(byte - 0x20);
    if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)
        return (unsigned char)(byte - 0x20);
    switch (byte) {
    case 0x9A: return 0x8A; /* s caron */
    case 0x9C: return 0x8C; /* oe */
    case 0x9E: return 0x8E; /* z caron */
    case 0xFF: return 0x9F; /* y diaeresis */
    }
    return byte;
}

/* Cp1252Upper of every byte, for the long texts of large scripts. */
static const unsigned char *Cp1252UpperTable()
{
    static unsigned char table[256];
    static bool filled = false;
    if (!filled) {
        for (int b = 0; b < 256; b++)
            table[b] = Cp1252Upper((unsigned char)b);
        filled = true;
    }
    return table;
}

void Cp1252AppendUpper(std::string *out, const std::string &text)
{
    const unsigned char *upper = Cp1252UpperTable();
    size_t at = out->size();
    out->resize(at + text.size());
    for (size_t i = 0; i < text.size(); i++)
        (*out)[at + i] = (char)upper[(unsigned char)text[i]];
}

std::string Cp1252UpperText(const std::string &text)
{
    std::string upper;
    Cp1252AppendUpper(&upper, text);
    return upper;
}

bool Cp1252EqualNoCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++) {
        if (Cp1252Upper((unsigned char)a[i]) != Cp1252Upper((unsigned char)b[i]))
            return false;
    }
    return true;
}

bool Cp1252LooksUtf8(const std::string &bytes, size_t from)
{
    const unsigned char *p = (const unsigned char *)bytes.data();
    for (size_t i = from; i < bytes.size(); i++) {
        unsigned c;
        if (p[i] >= 0x80 && Utf8Decode(p + i, bytes.size() - i, &c) >= 2)
            return true;
    }
    return false;
}

bool Cp1252ReadsAsUtf8(const std::string &bytes, size_t from)
{
    const unsigned char *p = (const unsigned char *)bytes.data();
    bool sequence = false;
    for (size_t i = from; i < bytes.size();) {
        unsigned c;
        int length = Utf8Decode(p + i, bytes.size() - i, &c);
        if (length == 0)
            return false;
        sequence = sequence || length > 1;
        i += (size_t)length;
    }
    return sequence;
}

size_t Cp1252Utf8Length(const std::string &bytes, size_t at)
{
    unsigned c;
    return at < bytes.size()
               ? (size_t)Utf8Decode((const unsigned char *)bytes.data() + at, bytes.size() - at, &c)
               : 0;
}

std::string Cp1252Quote(const std::string &bytes)
{
    return "\"" + Cp1252ToUtf8(bytes) + "\"";
}

std::string Cp1252FromName(const char *utf8)
{
    /* The names are written in the sources, and all of them are of code page
       1252: a name that is not would be a fault of the sources. */
    std::string bytes;
    if (!Utf8ToCp1252(utf8, &bytes))
        bytes = utf8;
    return bytes;
}
