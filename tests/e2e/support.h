#ifndef TAVELIN_TESTS_E2E_SUPPORT_H
#define TAVELIN_TESTS_E2E_SUPPORT_H

/* Helpers of the end-to-end tests: paths, files, the distribution directory
   (SETUP.EXE and its script) and short forms of the scripted user's steps.
   Paths are Windows paths; window texts are UTF-8; file contents are bytes
   (scripts in code page 1252). */

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tools/driver/driver.h"

/* "Z:\...\build\x86_64\<name>", from the environment variable TAV_BUILD_DIR. */
std::string TestBuildPath(const char *name);
/* The same under the source tree, from TAV_SOURCE_DIR. */
std::string TestSourcePath(const char *name);
/* A fresh empty directory "C:\tests\<Suite>.<Test>" for the running test. */
std::string TestDir();

/* The programs a test distribution holds: the shipped SETUP.EXE, or the
   counting build SETUPCNT.EXE for the tests that read what it held. */
extern const char kShippedProgram[];    /* "SETUP" */
extern const char kCountingProgram[];   /* "SETUPCNT" */
/* Copies <program>.EXE into dir and writes dir\<program>.INF with exactly
   these bytes. */
void TestMakeDist(const std::string &dir, const std::string &script,
                  const char *program = kShippedProgram);
/* Writes a file, creating the missing directories. */
void TestWriteFile(const std::string &path, const std::string &bytes);
bool TestReadFile(const std::string &path, std::string *bytes);

/* What the counting build still held at its end, and how many it
   made, of GDI objects, device contexts, registry keys and COM
   initialisations: read from the file it was given in TAV_COUNTS. */
struct TestCounts {
    std::map<std::string, long> held, made;
};
TestCounts TestReadCounts(const std::string &file);
/* What a run that releases everything holds. */
extern const std::map<std::string, long> kTestNothingHeld;
/* Watches, while a run plays, for the closing message titled `title` (a
   message box with OK alone) and then counts the files of `paths` that the
   program still holds open. Start before the run; Finish after it stops the
   watch and gives the count, -1 when the message never showed. */
struct TestHeldFiles {
    std::vector<std::string> paths;
    std::string title = "Installation de Tavelin";
    std::atomic<int> held{ -1 };
    std::atomic<bool> stop{ false };
    std::thread watcher;
    void Start();
    int Finish();
};
/* A file of `size` bytes that takes no room on the disk (a sparse file of
   zeros), for sources past 2 GiB and long copies. */
void TestWriteSparse(const std::string &path, long long size);
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
                             const std::vector<DriverStep> &steps, int timeoutMs = 20000);

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

/* Screen size, as the program sees it. */
int TestScreenWidth();
int TestScreenHeight();

#endif
