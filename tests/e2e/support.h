#ifndef TAVELIN_TESTS_E2E_SUPPORT_H
#define TAVELIN_TESTS_E2E_SUPPORT_H

/* Helpers of the tests under Wine, end-to-end and unit: paths, files, the
   distribution directory (SETUP.EXE, its script and sources), what the
   scripts and an installation have in common, read-backs, and short forms
   of the scripted user's steps. Paths are Windows paths; window texts are
   UTF-8; file contents are bytes (scripts in code page 1252). */

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "resources/ids.h"
#include "tools/driver/driver.h"

/* The programs a test distribution holds: the shipped SETUP.EXE, or the
   counting build SETUPCNT.EXE for the tests that read what it held. */
extern const char kShippedProgram[];    /* "SETUP" */
extern const char kCountingProgram[];   /* "SETUPCNT" */

/* "Z:\...\build\test-<arch>\<name>", from the environment variable TAV_BUILD_DIR. */
std::string TestBuildPath(const char *name);
/* The built <program>.EXE. */
std::string TestProgramPath(const char *program = kShippedProgram);
/* The built SETUP.EXE, loaded as data: its string table and dialog
   templates, so that the tests use the program's own resources. */
HMODULE TestSetupModule();
/* A fresh empty directory "C:\tests\<Suite>.<Test>" for the running test. */
std::string TestDir();

/* What the test scripts have in common: the title of their windows, the
   closing messages (kSuccess for Application=Tavelin) and the registry keys
   an installation writes. */
extern const char kTitle[];             /* "Installation de Tavelin" */
extern const char kSuccess[];
extern const char kIncomplete[];
extern const char kCancelled[];
extern const char kAppPaths[];          /* of Tavelin.exe, under HKEY_LOCAL_MACHINE */
extern const char kUninstall[];         /* under HKEY_LOCAL_MACHINE */
extern const char kShellFolders[];      /* under HKEY_CURRENT_USER */

/* [Installer] with Application=Tavelin, Titre=kTitle and the settings lines,
   then [Fichiers] with the entry lines of files, then the other sections;
   each line ends with CR LF. */
std::string TestScript(const std::string &files, const std::string &sections = "",
                       const std::string &settings = "");

/* Source files of a distribution: names below it and their bytes. */
typedef std::map<std::string, std::string> TestFiles;
/* Copies <program>.EXE into dir, writes dir\<program>.INF with exactly
   these bytes, and the files. */
void TestMakeDist(const std::string &dir, const std::string &script, const TestFiles &files = {},
                  const char *program = kShippedProgram);
/* The same in a fresh TestDir(), which it returns. */
std::string TestDist(const std::string &script, const TestFiles &files = {},
                     const char *program = kShippedProgram);
/* Writes a file, creating the missing directories. */
void TestWriteFile(const std::string &path, const std::string &bytes);
bool TestReadFile(const std::string &path, std::string *bytes);
/* Checks that a file holds exactly these bytes; a failure names the line of
   the check. */
#define EXPECT_FILE(path, bytes) \
    do { \
        SCOPED_TRACE("the file checked here"); \
        TestExpectFile((path), (bytes)); \
    } while (0)
void TestExpectFile(const std::string &path, const std::string &bytes);

/* Whether the tests run as 32-bit programs on 64-bit Windows (the wow64
   bed), as SETUP.EXE then runs. */
bool TestOnWow64();
/* What ProgramFilesDir gives a 32-bit program: "C:\Program Files (x86)"
   under WOW64, else "C:\Program Files". */
std::string TestProgramFilesDir();
/* Where a 32-bit program's Windows\System32 is: SysWOW64 under WOW64 (the
   file system redirector), else System32. */
std::string TestSystemDir();

/* A string value as UTF-8, "(none)" when there is none; the unnamed value
   by default. Read as SETUP.EXE reads it; under WOW64 also checked where
   Windows documents it for a 32-bit program: HKEY_CLASSES_ROOT and App
   Paths shared with 64-bit programs, the rest of HKEY_LOCAL_MACHINE\Software
   redirected to Software\Wow6432Node. */
std::string TestRegistryString(HKEY root, const std::string &path, const std::string &name = "");
/* Sets a string value (ANSI), creating the key; deletes a value. */
void TestSetRegistryString(HKEY root, const std::string &path, const std::string &name,
                           const std::string &value);
void TestDeleteRegistryValue(HKEY root, const std::string &path, const std::string &name);

/* What the counting build still held at its end, and how many it
   made, of GDI objects, device contexts, registry keys and COM
   initialisations: read from the file it was given in TAV_COUNTS. */
struct TestCounts {
    std::map<std::string, long> held, made;
};
TestCounts TestReadCounts(const std::string &file);
/* What a run that releases everything holds. */
extern const std::map<std::string, long> kTestNothingHeld;
/* An action for the step of the closing message: counts the files of
   `paths` that the program still holds open while the message shows, into
   *held, which stays -1 when the message never showed. The count is taken
   when the scripted user meets the message, not by a watch of its own: a
   watch that looks into the program's dialogs while one is being destroyed
   can hang Wine 10's server for good. */
DriverAction CountHeldFiles(const std::vector<std::string> &paths, int *held);
/* A file of `size` bytes that takes no room on the disk (a sparse file of
   zeros), for sources past 2 GiB and long copies. */
void TestWriteSparse(const std::string &path, long long size);
/* The size of a file without reading it (a big one does not fit a 32-bit
   test's memory); -1 when it is not there. */
long long TestFileSize(const std::string &path);
/* Pixel of a screenshot taken by the Shot action (24-bit, bottom-up), as RGB. */
COLORREF TestShotPixel(const std::string &bmp, int x, int y);
/* n bytes that differ from one position to the next, so a misplaced chunk shows. */
std::string TestBytes(size_t n, unsigned seed);

/* Runs dir\<program>.EXE (in cwd, by default dir) through the steps. When
   the run is not ok the transcript is added to the test's output. */
DriverResult TestPlay(const std::string &dir, const std::vector<DriverStep> &steps,
                      const std::string &cwd = "", const char *program = kShippedProgram);
/* The same for any program. */
DriverResult TestPlayProgram(const std::string &program, const std::string &cwd,
                             const std::vector<DriverStep> &steps, int timeoutMs = 300000);

DriverStep Expect(const std::string &match, std::vector<DriverAction> actions = {},
                  const std::string &className = "", bool optional = false);
/* SETUP.EXE's own windows, told apart by their class and one control's text
   (the dialogs and the boxes after start-up all bear the Titre caption). */
DriverStep ExpectBackdrop();
DriverStep ExpectDirectory(std::vector<DriverAction> actions);
DriverStep ExpectProgress(std::vector<DriverAction> actions = {}, bool optional = true);
DriverStep ExpectRegistration(std::vector<DriverAction> actions);
/* The Directory dialog answered with this directory and Installer. */
DriverStep InstallTo(const std::string &dir);
/* The question after the copy, answered with IDYES or IDNO. */
DriverStep Question(int answer);
/* The closing message, answered with OK. */
DriverStep Closing(const std::string &text);
/* The first message box of the run whose text holds `text`; null if none. */
const DriverWindow *TestFindBox(const DriverResult &result, const std::string &text);
/* Whether a file or directory is there (a UTF-8 path). */
bool TestExists(const std::string &path);
std::string TestWindowsDir();

DriverAction Press(int id);
DriverAction Type(int id, const std::string &text);
DriverAction Escape();
DriverAction Enter();
DriverAction Close();
DriverAction WaitPercent(int id, int n);
DriverAction WaitText(int id, const std::string &text);
DriverAction Shot(const std::string &path);
DriverAction SleepFor(int ms);
DriverAction TimeNextWindow();
/* The test's own deed while the program is held where the step left it. */
DriverAction Call(std::function<void()> what);

/* Screen size, as the program sees it. */
int TestScreenWidth();
int TestScreenHeight();

#endif
