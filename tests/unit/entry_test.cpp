#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "script/entry.h"

namespace {

TEST(EntryFile, WindowsFlagDestinationAndSource)
{
    const struct {
        const char *value;
        int toWindows;
        const char *destination, *source;
    } cases[] = {
        { "name", 0, "name", "name" },
        { "dest;src", 0, "dest", "src" },
        { "%name", 1, "name", "name" },
        { "%dest;src", 1, "dest", "src" },
        { "x;y;z", 0, "x;y", "z" },
        { " a ; b ", 0, " a ", " b " },
        { "a%;b", 0, "a%", "b" },
        { "", 0, "", "" },
    };
    for (const auto &c : cases) {
        char entryValue[SETUP_TEXT_CAPACITY];
        EXPECT_EQ(c.toWindows, EntryReadFile(c.value, (int)strlen(c.value), entryValue,
                                             sizeof entryValue)) << c.value;
        std::string source = EntrySplitFile(entryValue);
        EXPECT_EQ(c.destination, std::string(entryValue)) << c.value;
        EXPECT_EQ(c.source, source) << c.value;
    }
    /* cut to 127 before the split: a ';' past the cut does not count */
    std::string value = std::string(130, 'd') + ";s";
    char entryValue[SETUP_TEXT_CAPACITY];
    EntryReadFile(value.c_str(), (int)value.size(), entryValue, sizeof entryValue);
    EXPECT_EQ(std::string(127, 'd'), EntrySplitFile(entryValue));
}

TEST(EntryFile, PathsAndTheDirectoriesMadeForThem)
{
    char path[SETUP_PATH_CAPACITY];
    EXPECT_EQ(5, EntryJoinPath(path, sizeof path, "C:\\", "a"));
    EXPECT_STREQ("C:\\\\a", path) << "the backslash whatever the folder ends with";

    strcpy(path, "C:\\WINDOWS");
    EXPECT_EQ(0, EntryJoinWindows(path, sizeof path, 10, "x.ini"));
    EXPECT_STREQ("C:\\WINDOWS\\x.ini", path);
    strcpy(path, "C:\\");
    EXPECT_EQ(0, EntryJoinWindows(path, sizeof path, 3, "x.ini"));
    EXPECT_STREQ("C:\\x.ini", path);
    std::string name(250, 'n');
    strcpy(path, "C:\\WINDOWS");
    EXPECT_EQ(-1, EntryJoinWindows(path, sizeof path, 10, name.c_str())) << "261 characters";

    const char *made = "C:\\\\a\\b";
    EXPECT_EQ(3, EntryNextDirectory(made, 0)) << "the root itself is never made";
    EXPECT_EQ(5, EntryNextDirectory(made, 4));
    EXPECT_EQ(-1, EntryNextDirectory(made, 6));
    EXPECT_EQ(-1, EntryNextDirectory("C:", 0));
}

TEST(EntryShortcut, FieldsAndPaths)
{
    const struct {
        const char *value;
        const char *target, *description, *icon;
        int index, indexAt;
    } cases[] = {
        { "Tavelin.exe,Editeur,%Tavelin.exe,  -2", "D:\\T\\Tavelin.exe", "Editeur",
          "D:\\T\\Tavelin.exe", -2, 33 },
        { "a.txt,b,C:\\n.exe,+3x", "D:\\T\\a.txt", "b", "C:\\n.exe", 3, 17 },
        { "a.txt,b, %i.ico", "D:\\T\\a.txt", "b", " %i.ico", 0, 15 },
        { "seul", "D:\\T\\seul", "", "", 0, 4 },
    };
    for (const auto &c : cases) {
        EntryShortcut fields;
        EXPECT_EQ(c.indexAt, EntrySplitShortcut(c.value, &fields)) << c.value;
        char target[SETUP_PATH_CAPACITY], icon[SETUP_PATH_CAPACITY];
        EntryShortcutPaths(&fields, "D:\\T", target, sizeof target, icon, sizeof icon);
        EXPECT_STREQ(c.target, target) << c.value;
        EXPECT_STREQ(c.description, fields.description) << c.value;
        EXPECT_STREQ(c.icon, icon) << c.value;
        EXPECT_EQ(c.index, fields.iconIndex) << c.value;
    }
}

} // namespace
