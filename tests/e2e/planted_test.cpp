/* DLLs planted beside SETUP.EXE, as in a download folder, under the names of
   system DLLs that the shell, COM and the dialogs load, with Wine told to
   prefer such copies to its own. A program that leaves the DLL search alone
   runs them; SETUP.EXE, which keeps the search to the system directory, runs
   none during a whole installation. */
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/support.h"

namespace {

/* version.dll is not among them: Wine's own advapi32 imports it, so every
   program loads it before its first instruction, where no program can
   restrict the search. */
const char *const kPlanted[] = { "uxtheme", "dwmapi",  "propsys",   "profapi",
                                 "userenv", "secur32", "ntmarta",   "shfolder",
                                 "msimg32", "cryptbase", "riched20", "bcrypt",
                                 "crypt32" };
const char kOverrides[] = "Software\\Wine\\DllOverrides";

std::vector<std::string> Ran(const std::string &dir)
{
    std::vector<std::string> ran;
    for (const char *name : kPlanted)
        if (TestExists(dir + "\\" + name + ".dll.ran"))
            ran.push_back(name);
    return ran;
}

void ForgetRuns(const std::string &dir)
{
    for (const char *name : kPlanted)
        DeleteFileA((dir + "\\" + name + ".dll.ran").c_str());
}

}  // namespace

TEST(PlantedDlls, RunInAProgramThatDoesNotRestrictTheSearchButNeverInSetup)
{
    std::string dir = TestDist(
        TestScript("Editeur=Tavelin.exe\r\n", "[Groupe]\r\nTavelin.lnk=Tavelin.exe\r\n"),
        { { "Tavelin.exe", TestBytes(20000, 3) } });
    std::string marker = TestBuildPath("plantmarker.dll");
    for (const char *name : kPlanted)
        ASSERT_TRUE(CopyFileA(marker.c_str(), (dir + "\\" + name + ".dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(TestBuildPath("plantprobe.exe").c_str(),
                          (dir + "\\plantprobe.exe").c_str(), FALSE));

    /* Wine is told to prefer a DLL found beside the program to its own. */
    for (const char *name : kPlanted)
        TestSetRegistryString(HKEY_CURRENT_USER, kOverrides, name, "native,builtin");

    /* The message box alone makes Wine's user32 ask for uxtheme.dll by name,
       and the copy beside the program answers. */
    DriverResult box = TestPlayProgram(dir + "\\plantprobe.exe", dir,
                                       { Expect("sonde", { Press(IDOK) }) });
    EXPECT_TRUE(box.ok);
    EXPECT_EQ(std::vector<std::string>{ "uxtheme" }, Ran(dir));
    ForgetRuns(dir);

    /* Asked for by name, every planted copy runs: they are sound DLLs and
       Wine prefers them. */
    SetEnvironmentVariableA("TAV_PROBE_LOAD", "1");
    DriverResult load = TestPlayProgram(dir + "\\plantprobe.exe", dir,
                                        { Expect("sonde", { Press(IDOK) }) });
    SetEnvironmentVariableA("TAV_PROBE_LOAD", NULL);
    EXPECT_TRUE(load.ok);
    EXPECT_EQ(sizeof kPlanted / sizeof kPlanted[0], Ran(dir).size());
    ForgetRuns(dir);

    /* A whole installation: dialogs, message boxes, COM and the shell's
       links, the registry, and the shell told that associations changed. */
    DriverResult setup = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"),
                                         ExpectProgress(), Question(IDYES), Closing(kSuccess) });
    for (const char *name : kPlanted)
        TestDeleteRegistryValue(HKEY_CURRENT_USER, kOverrides, name);
    EXPECT_TRUE(setup.ok);
    EXPECT_EQ(std::vector<std::string>{}, Ran(dir));
}
