#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "script/scan.h"

namespace {

struct EntryCase {
    const char *line;        /* the line, with its line end */
    int returned;
    int keyLength;
    const char *value;       /* null: valuePtr stays null */
    int valueLength;
};

/* Runs ScriptScanEntry on one line and checks every output. */
void CheckEntry(const EntryCase &c, int sourceLine)
{
    SCOPED_TRACE(testing::Message() << "case at line " << sourceLine << ": '" << c.line << "'");
    int keyLength = -7;
    const char *valuePtr = reinterpret_cast<const char *>(0x1);
    int valueLength = -7;
    int returned = ScriptScanEntry(c.line, &keyLength, &valuePtr, &valueLength);
    EXPECT_EQ(c.returned, returned);
    if (c.returned == 0) {
        EXPECT_EQ(-7, keyLength);
        EXPECT_EQ(-7, valueLength);
        return;
    }
    EXPECT_EQ(c.keyLength, keyLength);
    EXPECT_EQ(c.valueLength, valueLength);
    if (c.value == nullptr) {
        EXPECT_EQ(nullptr, valuePtr);
    } else {
        ASSERT_NE(nullptr, valuePtr);
        EXPECT_EQ(std::string(c.value), std::string(valuePtr, valueLength));
        EXPECT_GE(valuePtr, c.line);
        EXPECT_LE(valuePtr, c.line + returned);
    }
}

/* Walks a section as every consumer does and lists "key|value" per entry line. */
std::vector<std::string> Walk(const char *text, const char *section)
{
    std::vector<std::string> entries;
    int offset = -1;
    if (ScriptSeekSection(text, section, &offset) != 0)
        return entries;
    int keyLength = 0, valueLength = 0, length;
    const char *valuePtr = nullptr;
    while ((length = ScriptScanEntry(text + offset, &keyLength, &valuePtr, &valueLength)) != 0) {
        if (keyLength != 0 || valueLength != 0)
            entries.push_back(std::string(text + offset, keyLength) + "|" +
                              std::string(valuePtr, valueLength));
        offset += length;
    }
    return entries;
}

}  // namespace

#define ENTRY(line, returned, key, value, valueLength) \
    { line, returned, key, value, valueLength }, __LINE__

TEST(ScriptScanEntry, TableOfLines)
{
    const struct {
        EntryCase c;
        int sourceLine;
    } cases[] = {
        { ENTRY("", 0, 0, nullptr, 0) },
        { ENTRY("[Groupe]\r\n", 0, 0, nullptr, 0) },
        { ENTRY("[\n", 0, 0, nullptr, 0) },
        { ENTRY("\r\n", 2, 0, nullptr, 0) },
        { ENTRY("\n", 1, 0, nullptr, 0) },
        { ENTRY(";Fichiers du produit\r\n", 22, 0, nullptr, 0) },
        { ENTRY("Bitmap = fond.bmp\r\n", 19, 6, "fond.bmp", 8) },
        { ENTRY("  Titre=Installation\r\n", 22, 7, "Installation", 12) },
        { ENTRY("=lisezmoi.txt\r\n", 15, 0, "lisezmoi.txt", 12) },
        { ENTRY("Texte = a=b  \r\n", 15, 5, "a=b  ", 5) },
        { ENTRY("Clef =\r\n", 8, 4, "", 0) },
        { ENTRY("sans egal\r\n", 11, 9, "", 0) },
        { ENTRY("   \r\n", 5, 3, "", 0) },
        { ENTRY("=\r\n", 3, 0, "", 0) },
        { ENTRY("Clef == x\n", 10, 4, "x", 1) },
        { ENTRY("Clef\t=\tx\n", 9, 4, "x", 1) },
        { ENTRY("a\rb=c\r\n", 7, 3, "c", 1) },         /* a lone CR is content */
        { ENTRY("k=v\r\r\n", 6, 1, "v\r", 2) },        /* only the CR before LF ends the line */
        { ENTRY("last=line", 9, 4, "line", 4) },        /* no line end */
        { ENTRY("k=v\nnext=1\n", 4, 1, "v", 1) },
        { ENTRY(" ; not a comment\n", 17, 16, "", 0) },
    };
    for (const auto &c : cases)
        CheckEntry(c.c, c.sourceLine);
}

TEST(ScriptScanEntry, ValuePositionUsableWhenOnlyAKeyIsGiven)
{
    const char *text = "sans egal";
    int keyLength = 0, valueLength = 0;
    const char *valuePtr = nullptr;
    EXPECT_EQ(9, ScriptScanEntry(text, &keyLength, &valuePtr, &valueLength));
    EXPECT_EQ(text + 9, valuePtr);
    EXPECT_EQ('\0', *valuePtr);
}

TEST(ScriptSeekSection, HeadersAndFirstOccurrence)
{
    const char *text =
        "; en-tete\r\n"
        " [Fichiers]\r\n"
        "[fichiers]\r\n"
        "[Fich]\r\n"
        "[Fichiers2]\r\n"
        "a=1\r\n"
        "[Fichiers\r\n"
        "b=2\r\n";
    EXPECT_EQ(std::vector<std::string>{ "a|1" }, Walk(text, "Fichiers"));

    EXPECT_EQ(std::vector<std::string>{ "b|2" }, Walk("[Fichiers\nb=2\n", "Fichiers"));
    EXPECT_TRUE(Walk("[fichiers]\nb=2\n", "Fichiers").empty());

    int offset = -1;
    EXPECT_EQ(-1, ScriptSeekSection(" [Fichiers]\nb=2\n", "Fichiers", &offset));
    EXPECT_EQ(16, offset);
    EXPECT_EQ(-1, ScriptSeekSection("[Fich]\n", "Fichiers", &offset));
    EXPECT_EQ(0, ScriptSeekSection("[x]\n", "", &offset));
    EXPECT_EQ(4, offset);
}

TEST(ScriptSeekSection, OnlyTheFirstOfTwoSectionsIsRead)
{
    const char *text = "[Groupe]\na=1\n[Groupe]\nb=2\n";
    EXPECT_EQ(std::vector<std::string>{ "a|1" }, Walk(text, "Groupe"));
}

TEST(ScriptSeekSection, HeaderOnTheLastLineLeavesAnEmptySection)
{
    const char *text = "[Installer]\nTitre=x\n[Fichiers]";
    int offset = -1;
    ASSERT_EQ(0, ScriptSeekSection(text, "Fichiers", &offset));
    EXPECT_EQ(30, offset);
    int k = 0, v = 0;
    const char *p = nullptr;
    EXPECT_EQ(0, ScriptScanEntry(text + offset, &k, &p, &v));
}

TEST(ScriptSeekSection, AnyBracketLineEndsTheSection)
{
    EXPECT_EQ((std::vector<std::string>{ "a|1" }), Walk("[S]\na=1\n[\nb=2\n", "S"));
    EXPECT_EQ((std::vector<std::string>{ "a|1", "c|3" }),
              Walk("[S]\na=1\n\n;x\nc=3\n[T]\nd=4\n", "S"));
}

TEST(ScriptSeekSection, ZeroByteEndsTheText)
{
    const char text[] = "[S]\na=1\n\0[T]\nb=2\n";
    EXPECT_EQ(std::vector<std::string>{ "a|1" }, Walk(text, "S"));
    int offset = -1;
    EXPECT_EQ(-1, ScriptSeekSection(text, "T", &offset));
    EXPECT_EQ(8, offset);
}

TEST(ScriptSeekSection, LineFeedAndCrLfGiveTheSameEntries)
{
    const char *lf = "[S]\nk1 = v1\n\n;c\nk2=v2\nk3\n";
    const char *crlf = "[S]\r\nk1 = v1\r\n\r\n;c\r\nk2=v2\r\nk3\r\n";
    EXPECT_EQ(Walk(lf, "S"), Walk(crlf, "S"));
    EXPECT_EQ((std::vector<std::string>{ "k1|v1", "k2|v2", "k3|" }), Walk(lf, "S"));

    /* carriage returns alone: the whole file is one line, the header's */
    EXPECT_TRUE(Walk("[S]\rk=v\r", "S").empty());
    EXPECT_EQ(std::vector<std::string>{ "k|v\rw" }, Walk("[S]\nk=v\rw\n", "S"));
}

TEST(ScriptSeekSection, EmptyTextFindsNothing)
{
    int offset = -1;
    EXPECT_EQ(-1, ScriptSeekSection("", "Installer", &offset));
    EXPECT_EQ(0, offset);
}

TEST(ScriptScanEntry, KeysAndHeadersMatchByTheirBeginning)
{
    const struct { const char *line; int matches; } keys[] = {
        { "Titre=T", 1 }, { "Titre2=T", 1 }, { "Titre", 1 }, { "titre=T", 0 },
        { " Titre=T", 0 }, { "Titr\n", 0 }, { "", 0 },
    };
    for (const auto &k : keys)
        EXPECT_EQ(k.matches, ScriptKeyMatches(k.line, "Titre")) << k.line;
    const struct { const char *line; int matches; } headers[] = {
        { "[Groupe]", 1 }, { "[Groupe", 1 }, { "[Groupes]", 1 }, { "[Grou", 0 },
        { "[groupe]", 0 }, { " [Groupe]", 0 }, { "Groupe", 0 },
    };
    for (const auto &h : headers)
        EXPECT_EQ(h.matches, ScriptHeaderMatches(h.line, (int)strlen(h.line), "Groupe")) << h.line;
    EXPECT_EQ(0, ScriptHeaderMatches("[Groupe]", 4, "Groupe")) << "only the content counts";
}
