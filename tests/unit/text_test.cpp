#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "util/text.h"

TEST(TextBoundedCopy, CutsToCapacityAndTerminates)
{
    char buffer[128];
    memset(buffer, 'x', sizeof buffer);
    std::string source(200, 'a');
    EXPECT_EQ(127, TextBoundedCopy(buffer, 128, source.c_str(), 200));
    EXPECT_EQ(std::string(127, 'a'), std::string(buffer));

    char one[2] = { 'x', 'y' };
    EXPECT_EQ(0, TextBoundedCopy(one, 1, "abc", 3));
    EXPECT_EQ('\0', one[0]);
    EXPECT_EQ('y', one[1]);

    char untouched = 'x';
    EXPECT_EQ(0, TextBoundedCopy(&untouched, 0, "abc", 3));
    EXPECT_EQ('x', untouched);

    EXPECT_EQ(0, TextBoundedCopy(buffer, 128, "abc", -5));
    EXPECT_STREQ("", buffer);
}

TEST(TextBoundedCopy, CopiesZeroBytesInsideTheCount)
{
    char buffer[8];
    EXPECT_EQ(3, TextBoundedCopy(buffer, sizeof buffer, "a\0b", 3));
    EXPECT_EQ('b', buffer[2]);
    EXPECT_EQ('\0', buffer[3]);
}

TEST(TextBoundedAppend, ChainsAndStopsAtTheEnd)
{
    char buffer[12];
    int end = TextBoundedCopy(buffer, sizeof buffer, "C:\\Prog", 7);
    end = TextBoundedAppend(buffer, sizeof buffer, end, "\\", 1);
    end = TextBoundedAppend(buffer, sizeof buffer, end, "Tavelin", 7);
    EXPECT_EQ(11, end);
    EXPECT_STREQ("C:\\Prog\\Tav", buffer);

    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(11, TextBoundedAppend(buffer, sizeof buffer, 11, "abc", 3));
    EXPECT_EQ('\0', buffer[11]);
    EXPECT_EQ('x', buffer[10]);

    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(12, TextBoundedAppend(buffer, sizeof buffer, 12, "abc", 3));
    for (char c : buffer)
        EXPECT_EQ('x', c);
}

struct TokenCase {
    const char *text;
    int capacity;
    const char *token;
    const char *rest;
};

TEST(TextNextToken, SplitsAtTheSeparator)
{
    const TokenCase cases[] = {
        { "a,b", 16, "a", "b" },
        { ",b", 16, "", "b" },
        { "", 16, "", "" },
        { "abc", 16, "abc", "" },
        { "abcdef,g", 4, "abc", "g" },   /* cut, but the cursor passes the whole token */
        { "abc,", 1, "", "" },
        { "a,,b", 16, "a", ",b" },
    };
    for (const TokenCase &c : cases) {
        char output[16];
        memset(output, 'x', sizeof output);
        const char *cursor = c.text;
        TextNextToken(&cursor, output, c.capacity, ',');
        EXPECT_STREQ(c.token, output) << "text '" << c.text << "'";
        EXPECT_STREQ(c.rest, cursor) << "text '" << c.text << "'";
    }
}

TEST(TextNextToken, LeavesTheCursorAtTheEndOfText)
{
    const char *text = "x";
    const char *cursor = text + 1;
    char output[4];
    TextNextToken(&cursor, output, sizeof output, ',');
    EXPECT_EQ(text + 1, cursor);
    EXPECT_STREQ("", output);
}

struct SplitCase {
    const char *path;
    int drive, directory, extension;
};

TEST(PathSplit, DriveDirectoryAndExtension)
{
    const SplitCase cases[] = {
        { "C:\\SETUP\\SETUP.EXE", 2, 9, 14 },
        { "C:SETUP.EXE", 2, 2, 7 },
        { "SETUP", 0, 0, 0 },
        { "C:\\DOSSIER.V2\\SETUP", 2, 14, 0 },
        { ".INF", 0, 0, 0 },
        { "a/b.c\\d", 0, 6, 0 },          /* only the backslash separates */
        { "\\\\serveur\\part\\SETUP.EXE", 0, 15, 20 },
        { "C", 0, 0, 0 },
    };
    for (const SplitCase &c : cases) {
        int drive = -1, directory = -1, extension = -1;
        PathSplit(c.path, &drive, &directory, &extension);
        EXPECT_EQ(c.drive, drive) << c.path;
        EXPECT_EQ(c.directory, directory) << c.path;
        EXPECT_EQ(c.extension, extension) << c.path;
    }
}

TEST(TextComparePrefix, CaseSensitivePrefixSignedBytes)
{
    EXPECT_EQ(0, TextComparePrefix("BitmapFond = x", "Bitmap", 6));
    EXPECT_EQ(1, TextComparePrefix("bitmap", "Bitmap", 6));
    EXPECT_EQ(-1, TextComparePrefix("Bitmab", "Bitmap", 6));
    EXPECT_EQ(0, TextComparePrefix("x", "y", 0));
    EXPECT_EQ(0, TextComparePrefix("x", "y", -3));
    /* bytes from 0x80 up are negative: the e acute orders before 'A' */
    EXPECT_EQ(-1, TextComparePrefix("\xE9", "A", 1));
    EXPECT_EQ(0, TextComparePrefix("R\xE9pertoire=C:\\", "R\xE9pertoire", 10));
}

TEST(TextToInteger, LeadingBlanksSignAndDigits)
{
    EXPECT_EQ(3, TextToInteger("3"));
    EXPECT_EQ(-2, TextToInteger("  -2x"));
    EXPECT_EQ(7, TextToInteger("\t+7"));
    EXPECT_EQ(0, TextToInteger("abc"));
    EXPECT_EQ(0, TextToInteger(""));
    EXPECT_EQ(0, TextToInteger("- 4"));
    EXPECT_EQ(2147483647, TextToInteger("99999999999999999999"));
    EXPECT_EQ(-2147483647 - 1, TextToInteger("-99999999999999999999"));
}
