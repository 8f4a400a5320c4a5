#include <gtest/gtest.h>

#include <string>

#include "actions/keypath.h"
#include "actions/registrationrows.h"

namespace {

struct Row {
    int root;
    std::string key, valueName, data;
};

Row Compose(int id, const RegistrationTexts &texts)
{
    RegistrationRow row;
    RegistrationComposeRow(id, &texts, &row);
    return { row.root, row.key, row.valueName, row.data };
}

}  // namespace

/* The rows in the order the registration writes them: the first three
   whatever the answer, the commands after "Oui". */
TEST(RegistrationRows, TheRowsInTheirOrder)
{
    RegistrationTexts texts = { "C:\\Program Files\\Tavelin", "Tavelin", "C:\\WINDOWS" };
    const std::string uninstall =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tavelin";
    const Row rows[ROW_COUNT] = {
        { REGISTRATION_LOCAL_MACHINE,
          "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tavelin.exe", "",
          "C:\\Program Files\\Tavelin\\Tavelin.exe" },
        { REGISTRATION_LOCAL_MACHINE, uninstall, "DisplayName", "Tavelin" },
        { REGISTRATION_LOCAL_MACHINE, uninstall, "UninstallString",
          "C:\\WINDOWS\\Untave.exe /C:\\Program Files\\Tavelin" },
        { REGISTRATION_CLASSES_ROOT, "txtfile\\shell\\open\\command", "",
          "\"C:\\Program Files\\Tavelin\\Tavelin.exe\" \"%1\"" },
        { REGISTRATION_CLASSES_ROOT, "txtfile\\shell\\print\\command", "",
          "\"C:\\Program Files\\Tavelin\\Tavelin.exe\" /p \"%1\"" },
    };
    for (int id = 0; id < ROW_COUNT; id++) {
        Row row = Compose(id, texts);
        EXPECT_EQ(rows[id].root, row.root) << id;
        EXPECT_EQ(rows[id].key, row.key) << id;
        EXPECT_EQ(rows[id].valueName, row.valueName) << id;
        EXPECT_EQ(rows[id].data, row.data) << id;
    }
    EXPECT_EQ(rows[ROW_OPEN_COMMAND].key, registrationCommandKeys[0]);
    EXPECT_EQ(rows[ROW_PRINT_COMMAND].key, registrationCommandKeys[1]);
}

TEST(RegistrationRows, NamesAndTextsAtTheirEdges)
{
    /* an empty name writes on the Uninstall key itself, a backslash below it */
    EXPECT_EQ("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\",
              Compose(ROW_DISPLAY_NAME, { "C:\\T", "", "C:\\W" }).key);
    EXPECT_EQ("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\A\\B",
              Compose(ROW_UNINSTALL_STRING, { "C:\\T", "A\\B", "C:\\W" }).key);
    /* an unknown Windows directory leaves the uninstaller's name alone */
    EXPECT_EQ("\\Untave.exe /C:\\T", Compose(ROW_UNINSTALL_STRING, { "C:\\T", "A", "" }).data);
    /* every text made of the installation directory is cut to 259 characters */
    std::string longDir = "C:\\" + std::string(300, 'd');
    for (int id = 0; id < ROW_COUNT; id++) {
        if (id != ROW_DISPLAY_NAME)
            EXPECT_EQ(259u, Compose(id, { longDir.c_str(), "A", "C:\\W" }).data.size()) << id;
    }

    RegistrationRow row;
    RegistrationComposeSuffix("txt ini", 3, &row);
    EXPECT_EQ(REGISTRATION_CLASSES_ROOT, row.root);
    EXPECT_STREQ(".txt", row.key);
    EXPECT_STREQ("", row.valueName);
    EXPECT_STREQ("txtfile", row.data);
    RegistrationComposeSuffix(".log", 4, &row);
    EXPECT_STREQ("..log", row.key) << "the dot is put whatever the word holds";
}

TEST(RegistrationRows, KeyPathComponents)
{
    const struct { const char *path; std::vector<std::string> components; } cases[] = {
        { "a\\b", { "a", "b" } },
        { "a\\b\\", { "a", "b" } },
        { "\\a", { "", "a" } },
        { "a\\\\b", { "a", "", "b" } },
        { "", {} },
    };
    for (const auto &c : cases) {
        std::vector<std::string> found;
        for (const char *cursor = c.path; *cursor != '\0';) {
            char component[KEYPATH_COMPONENT_CAPACITY];
            KeyPathNextComponent(&cursor, component);
            found.push_back(component);
        }
        EXPECT_EQ(c.components, found) << c.path;
    }
    std::string longPath = std::string(300, 'k') + "\\b";
    const char *cursor = longPath.c_str();
    char component[KEYPATH_COMPONENT_CAPACITY];
    KeyPathNextComponent(&cursor, component);
    EXPECT_EQ(std::string(260, 'k'), component);
    EXPECT_STREQ("b", cursor);
}
