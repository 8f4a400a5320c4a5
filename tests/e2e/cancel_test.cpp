/* Annuler pressed at every point of a copy: before and after every chunk of
   files of 0, 8192, 8193 and 40000 bytes, and after the last chunk. Every
   run ends with "Installation abandonnée.", makes no shortcut and writes no
   registry value, holds no file open while the closing message shows, and
   has released every GDI object, registry key and COM initialisation when it
   ends. */
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/support.h"

namespace {

const size_t kSizes[] = { 0, 8192, 8193, 40000 };

/* Copy steps of the fixture: per file one next-entry step and one chunk step
   per 8192 bytes, plus one; then the last next-entry step. */
int CopySteps()
{
    int steps = 1;
    for (size_t size : kSizes)
        steps += 1 + (int)(size / 8192) + 1;
    return steps;
}

}  // namespace

TEST(CancelSweep, EveryPointOfTheCopy)
{
    HMODULE hook = LoadLibraryA(TestBuildPath("cancelhook.dll").c_str());
    ASSERT_NE(nullptr, hook);
    HOOKPROC proc = (HOOKPROC)(void (*)(void))GetProcAddress(hook, "CancelHookProc");
    ASSERT_NE(nullptr, proc);
    HHOOK installed = SetWindowsHookExA(WH_GETMESSAGE, proc, hook, 0);
    ASSERT_NE(nullptr, installed);

    std::string entries;
    TestFiles files;
    for (int i = 0; i < 4; i++) {
        std::string name = "F" + std::to_string(i) + ".DAT";
        entries += name + "=" + name + "\r\n";
        files[name] = TestBytes(kSizes[i], i + 1);
    }
    std::string dir = TestDist(TestScript(entries, "[Groupe]\r\nTavelin.lnk=F0.DAT\r\n"), files,
                               kCountingProgram);

    std::string counts = dir + "\\counts.txt";
    SetEnvironmentVariableA("TAV_COUNTS", counts.c_str());
    int steps = CopySteps();
    for (int at = 1; at <= steps; at++) {
        SCOPED_TRACE(testing::Message() << "Annuler at copy step " << at);
        DeleteFileA(counts.c_str());
        std::string inst = dir + "\\inst" + std::to_string(at);
        SetEnvironmentVariableA("TAV_CANCEL_AT", std::to_string(at).c_str());
        std::vector<std::string> paths;
        for (int i = 0; i < 4; i++)
            paths.push_back(inst + "\\F" + std::to_string(i) + ".DAT");
        int stillHeld;
        DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(inst), ExpectProgress(),
                                         Expect(kCancelled, { CountHeldFiles(paths, &stillHeld),
                                                              Press(IDOK) }) },
                                  "", kCountingProgram);
        /* A failed run ends the sweep, and the hook is still taken out below. */
        if (!r.ok) {
            ADD_FAILURE() << r.failure;
            break;
        }
        EXPECT_EQ(0, stillHeld) << "files still open at the closing message";
        EXPECT_EQ(kTestNothingHeld, TestReadCounts(counts).held);
        /* Every byte of a file is written by step 1, 4, 8 and 14 for the
           four files; the copy stops at the chunk step after the click, so
           the files whole on disk are those whose bytes came by then. */
        const int writtenBy[] = { 1, 4, 8, 14 };
        int expected = 0, whole = 0;
        for (int i = 0; i < 4; i++) {
            expected += writtenBy[i] <= at;
            std::string got;
            if (TestReadFile(inst + "\\F" + std::to_string(i) + ".DAT", &got) &&
                got == files["F" + std::to_string(i) + ".DAT"])
                whole++;
        }
        EXPECT_EQ(expected, whole);
    }
    SetEnvironmentVariableA("TAV_CANCEL_AT", NULL);
    SetEnvironmentVariableA("TAV_COUNTS", NULL);
    UnhookWindowsHookEx(installed);
    FreeLibrary(hook);

    EXPECT_EQ("(none)", TestRegistryString(HKEY_LOCAL_MACHINE, kAppPaths));
    std::string programs = TestRegistryString(HKEY_CURRENT_USER, kShellFolders, "Programs");
    EXPECT_FALSE(TestExists(programs + "\\Tavelin"));
}
