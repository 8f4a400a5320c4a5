/* ScriptLoad on real files: the whole file in a zero-filled block one byte
   longer, or the error message box and -1. */
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "script/script.h"
#include "tests/e2e/support.h"

namespace {

/* A file of the test's own directory with exactly these bytes. */
std::string WriteScript(const char *name, const std::string &bytes)
{
    std::string path = TestDir() + "\\" + name;
    TestWriteFile(path, bytes);
    return path;
}

/* The messages are SETUP.EXE's own strings. */
HINSTANCE Strings()
{
    HMODULE module = TestSetupModule();
    EXPECT_NE(module, (HMODULE)NULL) << "cannot load SETUP.EXE";
    return module;
}

struct Loaded {
    int result = 0;
    HGLOBAL memory = NULL;
    char *text = NULL;
    std::vector<DriverWindow> boxes;

    ~Loaded()
    {
        if (memory != NULL) {
            GlobalUnlock(memory);
            EXPECT_EQ(GlobalFree(memory), (HGLOBAL)NULL);
        }
    }
    /* The block's bytes, as far as the block goes. */
    std::string Block() const
    {
        SIZE_T size = memory != NULL ? GlobalSize(memory) : 0;
        return text != NULL ? std::string(text, size) : std::string();
    }
};

void Load(const std::string &path, Loaded *loaded)
{
    DriverBoxWatch *watch = DriverWatchOwnBoxes(IDOK);
    loaded->result = ScriptLoad(Strings(), "Installer", NULL, path.c_str(),
                                &loaded->memory, &loaded->text);
    loaded->boxes = DriverStopWatching(watch);
}

}  // namespace

TEST(ScriptLoad, NormalFileByteForByteWithAZeroAfter)
{
    const std::string bytes = "[Installer]\r\nTitre=Tavelin \xE9" "dition\r\n[Fichiers]\r\nUn=UN.TXT";
    Loaded loaded;
    Load(WriteScript("normal.inf", bytes), &loaded);
    EXPECT_EQ(loaded.result, 0);
    EXPECT_TRUE(loaded.boxes.empty());
    ASSERT_NE(loaded.memory, (HGLOBAL)NULL);
    ASSERT_NE(loaded.text, nullptr);
    EXPECT_EQ(loaded.text, GlobalLock(loaded.memory)) << "the text is the locked block";
    GlobalUnlock(loaded.memory);
    EXPECT_GE(GlobalSize(loaded.memory), bytes.size() + 1);
    EXPECT_EQ(std::string(loaded.text, bytes.size() + 1), bytes + '\0');
    EXPECT_EQ(std::string(loaded.text), bytes);
    /* The rest of the block, if any, is zero too. */
    std::string block = loaded.Block();
    EXPECT_EQ(block.find_first_not_of('\0', bytes.size()), std::string::npos);

    int offset = -1;
    EXPECT_EQ(ScriptSeekSection(loaded.text, "Fichiers", &offset), 0);
    EXPECT_EQ(std::string(loaded.text + offset), "Un=UN.TXT");
}

TEST(ScriptLoad, EmptyFileIsOneZeroByte)
{
    Loaded loaded;
    Load(WriteScript("empty.inf", ""), &loaded);
    EXPECT_EQ(loaded.result, 0);
    EXPECT_TRUE(loaded.boxes.empty());
    ASSERT_NE(loaded.memory, (HGLOBAL)NULL);
    ASSERT_NE(loaded.text, nullptr);
    EXPECT_GE(GlobalSize(loaded.memory), 1u);
    EXPECT_EQ(loaded.text[0], '\0');

    for (const char *section : { "Installer", "Fichiers", "" }) {
        int offset = -1;
        EXPECT_EQ(ScriptSeekSection(loaded.text, section, &offset), -1) << section;
        EXPECT_EQ(offset, 0);
    }
    /* ScriptFindSection fails too, with its message only when asked for. */
    DriverBoxWatch *watch = DriverWatchOwnBoxes(IDOK);
    int offset = -1;
    EXPECT_EQ(ScriptFindSection(Strings(), "Installer", NULL, "Installer", 0, loaded.text,
                                &offset),
              -1);
    std::vector<DriverWindow> quiet = DriverStopWatching(watch);
    EXPECT_TRUE(quiet.empty());
    watch = DriverWatchOwnBoxes(IDOK);
    EXPECT_EQ(ScriptFindSection(Strings(), "Installer", NULL, "Fichiers", 1, loaded.text,
                                &offset),
              -1);
    std::vector<DriverWindow> told = DriverStopWatching(watch);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].text, "La section [Fichiers] n'existe pas !");
    EXPECT_EQ(told[0].icon, "information");
}

TEST(ScriptLoad, ZeroByteInsideLoadsWholeButTheTextEndsThere)
{
    const std::string bytes =
        std::string("[Installer]\r\nTitre=A") + '\0' + "[Fichiers]\r\nUn=UN.TXT\r\n";
    Loaded loaded;
    Load(WriteScript("zero.inf", bytes), &loaded);
    EXPECT_EQ(loaded.result, 0);
    EXPECT_TRUE(loaded.boxes.empty());
    ASSERT_NE(loaded.text, nullptr);
    EXPECT_EQ(std::string(loaded.text, bytes.size() + 1), bytes + '\0') << "loaded whole";
    EXPECT_EQ(strlen(loaded.text), 20u);
    int offset = -1;
    EXPECT_EQ(ScriptSeekSection(loaded.text, "Installer", &offset), 0);
    EXPECT_EQ(ScriptSeekSection(loaded.text, "Fichiers", &offset), -1)
        << "the section after the zero byte is not seen";
}

TEST(ScriptLoad, MissingFileShowsTheErrorAndFails)
{
    std::string path = TestDir() + "\\absent.inf";
    Loaded loaded;
    Load(path, &loaded);
    EXPECT_EQ(loaded.result, -1);
    EXPECT_EQ(loaded.memory, (HGLOBAL)NULL);
    ASSERT_EQ(loaded.boxes.size(), 1u);
    const DriverWindow &box = loaded.boxes[0];
    EXPECT_TRUE(box.messageBox);
    EXPECT_EQ(box.caption, "Installer");
    EXPECT_EQ(box.text, "Ne peut ouvrir \"" + path + "\" !");
    EXPECT_EQ(box.icon, "error");
    EXPECT_EQ(box.owner, "none");
    EXPECT_EQ(box.buttons, std::vector<int>{ IDOK });
}
