/* The installation as the user runs it: the Directory dialog, the chunked
   copy with its progress dialog and Cancel, the failures of the copy, and the
   closing message. */
#include <gtest/gtest.h>
#include <windows.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "tests/e2e/support.h"

namespace {

const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

/* The scripts of these tests name a directory, which the Directory dialog
   proposes only when the registry has no ProgramFilesDir. */
std::string Script(const std::string &files, const std::string &directory = "C:\\Tavelin")
{
    return TestScript(files, "", "R\xE9pertoire=" + directory + "\r\n");
}

/* Sets the three times of a file to a fixed day long ago. */
void SetOldTimes(const std::string &path, int day)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    SYSTEMTIME created = { 2001, 2, 0, (WORD)day, 10, 11, 12, 0 };
    SYSTEMTIME accessed = { 2002, 3, 0, (WORD)day, 13, 14, 15, 0 };
    SYSTEMTIME written = { 2003, 4, 0, (WORD)day, 16, 17, 18, 0 };
    FILETIME c, a, w;
    SystemTimeToFileTime(&created, &c);
    SystemTimeToFileTime(&accessed, &a);
    SystemTimeToFileTime(&written, &w);
    EXPECT_TRUE(SetFileTime(f, &c, &a, &w));
    CloseHandle(f);
}

void ExpectSameTimes(const std::string &a, const std::string &b)
{
    FILETIME t[2][3];
    const std::string *paths[2] = { &a, &b };
    for (int i = 0; i < 2; i++) {
        HANDLE f = CreateFileA(paths[i]->c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                               OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, f) << *paths[i];
        GetFileTime(f, &t[i][0], &t[i][1], &t[i][2]);
        CloseHandle(f);
    }
    for (int k = 0; k < 3; k++)
        EXPECT_EQ(0, CompareFileTime(&t[0][k], &t[1][k])) << "time " << k << " of " << b;
}

}  // namespace

TEST(Install, TwoFilesCopiedWithTheirTimes)
{
    std::string one = TestBytes(10000, 1), two = TestBytes(3000, 2);
    std::string dir = TestDist(Script("Premier=UN.TXT\r\nSecond=DEUX.TXT\r\n"),
                               { { "UN.TXT", one }, { "DEUX.TXT", two } });
    std::string inst = dir + "\\inst";
    SetOldTimes(dir + "\\UN.TXT", 5);
    SetOldTimes(dir + "\\DEUX.TXT", 6);

    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(inst), ExpectProgress(),
                                     Question(IDNO), Closing(kSuccess) });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ(0u, r.exitCode);
    /* times first: reading the files afterwards may move their access time */
    ExpectSameTimes(dir + "\\UN.TXT", inst + "\\UN.TXT");
    ExpectSameTimes(dir + "\\DEUX.TXT", inst + "\\DEUX.TXT");
    EXPECT_FILE(inst + "\\UN.TXT", one);
    EXPECT_FILE(inst + "\\DEUX.TXT", two);

    const DriverWindow *closing = TestFindBox(r, kSuccess);
    ASSERT_NE(nullptr, closing);
    EXPECT_EQ(kTitle, closing->caption);
    EXPECT_EQ("information", closing->icon);
    EXPECT_EQ(std::vector<int>{ IDOK }, closing->buttons);
    EXPECT_EQ("backdrop", closing->owner);
    EXPECT_EQ(inst + "\\Tavelin.exe", TestRegistryString(HKEY_LOCAL_MACHINE, kAppPaths));
}

/* The machine's folder of programs for a 32-bit program (Program Files
   (x86) on 64-bit Windows), then one other than the prefix's own, so that a
   proposal that does not read it shows. */
TEST(Install, DirectoryDialogProposesProgramFiles)
{
    std::string dir = TestDist(Script(""));
    for (const std::string &folder : { TestProgramFilesDir(), std::string("D:\\Logiciels") }) {
        if (folder != TestProgramFilesDir())
            TestSetRegistryString(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", folder);
        DriverResult r =
            TestPlay(dir, { ExpectBackdrop(), ExpectDirectory({ Press(IDC_DIRECTORY_CANCEL) }) });
        ASSERT_TRUE(r.ok) << r.failure;
        ASSERT_EQ(2u, r.windows.size());
        const DriverWindow &d = r.windows[1];
        ASSERT_NE(nullptr, d.Control(IDC_DIRECTORY_PATH));
        EXPECT_EQ(folder + "\\Tavelin", d.Control(IDC_DIRECTORY_PATH)->text);
        EXPECT_EQ("Installer Tavelin dans le répertoire:", d.Control(IDC_DIRECTORY_PROMPT)->text);
        EXPECT_EQ("Cette installation requiert 0 Kb.", d.Control(IDC_DIRECTORY_SIZE)->text);
        EXPECT_EQ("backdrop", d.owner);
    }
}

TEST(Install, WithoutProgramFilesDirTheScriptDirectoryStays)
{
    TestDeleteRegistryValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir");
    std::string dir = TestDist(Script("", "D:\\Mes Outils\\Tav"));
    DriverResult r =
        TestPlay(dir, { ExpectBackdrop(), ExpectDirectory({ Press(IDC_DIRECTORY_CANCEL) }) });
    ASSERT_TRUE(r.ok) << r.failure;
    ASSERT_EQ(2u, r.windows.size());
    EXPECT_EQ("D:\\Mes Outils\\Tav", r.windows[1].Control(IDC_DIRECTORY_PATH)->text);
}

TEST(Install, SizeTextRoundsUpToKilobytes)
{
    const struct { size_t bytes; const char *text; } cases[] = {
        { 0, "0" }, { 1, "1" }, { 1024, "1" }, { 1025, "2" },
    };
    std::string dir = TestDist(Script("F=F.BIN\r\n"));
    for (const auto &c : cases) {
        TestWriteFile(dir + "\\F.BIN", std::string(c.bytes, 'x'));
        DriverResult r = TestPlay(dir, { ExpectBackdrop(), ExpectDirectory({ Escape() }) });
        ASSERT_TRUE(r.ok) << r.failure;
        ASSERT_EQ(2u, r.windows.size());
        EXPECT_EQ(std::string("Cette installation requiert ") + c.text + " Kb.",
                  r.windows[1].Control(IDC_DIRECTORY_SIZE)->text) << c.bytes << " bytes";
    }
}

TEST(Install, TypedDirectoryIsNormalised)
{
    std::string dir = TestDist(Script(""));
    const struct { const char *typed; std::string expected; } cases[] = {
        { "D:\\Prog\\Ed", "D:\\Prog\\Ed" },
        { "D:Prog", "D:\\Prog" },
        { "D:", "D:\\" },
        { "\\Prog", "C:\\Prog" },
        { "\\\\Prog", "C:\\\\Prog" },
        { "Prog", dir + "\\Prog" },
        { "", dir + "\\" },
    };
    for (const auto &c : cases) {
        DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(c.typed), ExpectProgress(),
                                         Question(IDNO), Closing(kSuccess) });
        ASSERT_TRUE(r.ok) << r.failure;
        EXPECT_EQ(c.expected + "\\Tavelin.exe", TestRegistryString(HKEY_LOCAL_MACHINE, kAppPaths))
            << "typed " << c.typed;
    }
}

TEST(Install, CancelEscapeAndCloseBoxEndTheDirectoryDialog)
{
    std::string dir = TestDist(Script("F=F.TXT\r\n"), { { "F.TXT", "contenu" } });
    const DriverAction answers[] = { Press(IDC_DIRECTORY_CANCEL), Escape(), Close() };
    for (const DriverAction &answer : answers) {
        DriverResult r = TestPlay(dir, { ExpectBackdrop(), ExpectDirectory({ answer }) });
        ASSERT_TRUE(r.ok) << r.failure;
        EXPECT_EQ(0u, r.exitCode);
        EXPECT_EQ(2u, r.windows.size()) << "no closing message";
    }
    EXPECT_FALSE(TestExists(TestProgramFilesDir() + "\\Tavelin"));
    EXPECT_EQ("(none)", TestRegistryString(HKEY_LOCAL_MACHINE, kAppPaths));
}

TEST(Install, ProgressLabelShowsValueThenKey)
{
    std::string big = TestBytes(6 * 1024 * 1024, 3);
    std::string dir = TestDist(Script("Clef=%GRAND.DAT;SOURCE.DAT\r\n"), { { "SOURCE.DAT", big } });
    std::string inst = dir + "\\inst";
    DriverAction label = WaitText(IDC_PROGRESS_FILE_LABEL, "GRAND.DAT;SOURCE.DAT : Clef");
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(inst),
                                     ExpectProgress({ label }, false), Question(IDNO),
                                     Closing(kSuccess) });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_FILE(TestWindowsDir() + "\\GRAND.DAT", big);
    EXPECT_FALSE(TestExists(inst + "\\GRAND.DAT"));
}

TEST(Install, CancelDuringALargeFileKeepsThePartialFile)
{
    std::string big = TestBytes(24 * 1024 * 1024, 4);
    std::string dir = TestDist(Script("Gros=GROS.DAT\r\nApres=APRES.TXT\r\n"),
                               { { "GROS.DAT", big }, { "APRES.TXT", "apres" } });
    std::string inst = dir + "\\inst";
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(inst),
                                     ExpectProgress({ WaitPercent(IDC_PROGRESS_FILE_TEXT, 5),
                                                      Press(IDC_PROGRESS_CANCEL) }, false),
                                     Closing(kCancelled) });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ(0u, r.exitCode);
    std::string partial;
    ASSERT_TRUE(TestReadFile(inst + "\\GROS.DAT", &partial));
    EXPECT_GT(partial.size(), 0u);
    EXPECT_LT(partial.size(), big.size());
    EXPECT_EQ(0u, partial.size() % 8192);
    EXPECT_TRUE(big.compare(0, partial.size(), partial) == 0);
    EXPECT_FALSE(TestExists(inst + "\\APRES.TXT"));
    EXPECT_EQ("(none)", TestRegistryString(HKEY_LOCAL_MACHINE, kAppPaths))
        << "no registry entry after a cancel";
    EXPECT_EQ(nullptr, TestFindBox(r, "Souhaitez vous"));
}

TEST(Install, DestinationThatCannotBeOpened)
{
    std::string dir = TestDist(Script("Bloque=BLOQUE\r\nSuite=SUITE.TXT\r\n"),
                               { { "BLOQUE", "x" }, { "SUITE.TXT", "suite" } });
    std::string inst = dir + "\\inst";
    CreateDirectoryA(inst.c_str(), NULL);
    CreateDirectoryA((inst + "\\BLOQUE").c_str(), NULL);   /* a directory in the way */

    /* OK goes on with the next file */
    DriverResult ok = TestPlay(dir, { ExpectBackdrop(), InstallTo(inst), ExpectProgress(),
                                      Expect("Ne peut ouvrir", { Press(IDOK) }), ExpectProgress(),
                                      Question(IDNO), Closing(kIncomplete) });
    ASSERT_TRUE(ok.ok) << ok.failure;
    const DriverWindow *box = TestFindBox(ok, "Ne peut ouvrir");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("Ne peut ouvrir \"" + inst + "\\BLOQUE\" !", box->text);
    EXPECT_EQ("Installer", box->caption);
    EXPECT_EQ("error", box->icon);
    EXPECT_EQ((std::vector<int>{ IDOK, IDCANCEL }), box->buttons);
    EXPECT_EQ("backdrop", box->owner);
    EXPECT_FILE(inst + "\\SUITE.TXT", "suite");

    /* Cancel goes straight to the closing message, the progress dialog still open */
    DeleteFileA((inst + "\\SUITE.TXT").c_str());
    DriverResult cancel = TestPlay(dir, { ExpectBackdrop(), InstallTo(inst), ExpectProgress(),
                                          Expect("Ne peut ouvrir", { Press(IDCANCEL) }),
                                          Closing(kIncomplete) });
    ASSERT_TRUE(cancel.ok) << cancel.failure;
    const DriverWindow *closing = TestFindBox(cancel, kIncomplete);
    ASSERT_NE(nullptr, closing);
    EXPECT_EQ(2u, closing->othersVisible.size()) << "backdrop and progress dialog";
    EXPECT_FALSE(TestExists(inst + "\\SUITE.TXT"));
}

TEST(Install, MissingSourceIsReportedAndTheRestInstalled)
{
    std::string dir = TestDist(Script("A=A.TXT\r\nManque=MANQUE.TXT\r\nB=B.TXT\r\n"),
                               { { "A.TXT", "a" }, { "B.TXT", "b" } });
    std::string inst = dir + "\\inst";
    DriverResult r = TestPlay(dir, { Expect("MANQUE.TXT", { Press(IDOK) }), ExpectBackdrop(),
                                     InstallTo(inst), ExpectProgress(), Question(IDNO),
                                     Closing(kIncomplete) });
    ASSERT_TRUE(r.ok) << r.failure;
    ASSERT_FALSE(r.windows.empty());
    EXPECT_EQ("Ne peut ouvrir \"" + dir + "\\MANQUE.TXT\" !", r.windows[0].text);
    EXPECT_EQ("information", r.windows[0].icon);
    EXPECT_FILE(inst + "\\A.TXT", "a");
    EXPECT_FILE(inst + "\\B.TXT", "b");
}

TEST(Install, EntryForms)
{
    std::string z = TestBytes(100, 5), sys = TestBytes(777, 6), f = TestBytes(5000, 7);
    std::string exact = TestBytes(16384, 8), shorter = TestBytes(10, 9);
    std::string dir = TestDist(Script("Trois=x;y;z\r\n"
                                      "; un commentaire\r\n"
                                      "\r\n"
                                      "Systeme=%TAVSYS.DLL\r\n"
                                      "Systeme32=%System32\\TAVSYS32.DLL;TAVSYS.DLL\r\n"
                                      "Profond=a\\b\\f;F.TXT\r\n"
                                      "Vide=VIDE.TXT\r\n"
                                      "Juste=JUSTE.BIN\r\n"
                                      "Long=LONG.TXT\r\n"),
                               { { "z", z }, { "TAVSYS.DLL", sys }, { "F.TXT", f },
                                 { "VIDE.TXT", "" }, { "JUSTE.BIN", exact },
                                 { "LONG.TXT", shorter } });
    std::string inst = dir + "\\inst";
    /* older, longer files, one of them in the Windows directory and one
       whose source is empty: each ends as its source, byte for byte */
    TestWriteFile(inst + "\\LONG.TXT", TestBytes(30000, 10));
    TestWriteFile(inst + "\\VIDE.TXT", TestBytes(9000, 12));
    TestWriteFile(TestWindowsDir() + "\\TAVSYS.DLL", TestBytes(8192 * 3, 13));

    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(inst), ExpectProgress(),
                                     Question(IDNO), Closing(kSuccess) });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_FILE(inst + "\\x;y", z);
    EXPECT_FILE(TestWindowsDir() + "\\TAVSYS.DLL", sys);
    EXPECT_FILE(TestSystemDir() + "\\TAVSYS32.DLL", sys);
    if (TestOnWow64()) {
        EXPECT_FALSE(TestExists(TestWindowsDir() + "\\Sysnative\\TAVSYS32.DLL"))
            << "a 32-bit program's System32 is SysWOW64, not the 64-bit System32";
    }
    EXPECT_FILE(inst + "\\a\\b\\f", f);
    EXPECT_FILE(inst + "\\VIDE.TXT", "");
    EXPECT_FILE(inst + "\\JUSTE.BIN", exact);
    EXPECT_FILE(inst + "\\LONG.TXT", shorter);
}

TEST(Install, ClosingTheBackdropDuringTheCopyEndsTheProgram)
{
    std::string dir =
        TestDist(Script("Gros=GROS.DAT\r\n"), { { "GROS.DAT", TestBytes(24 * 1024 * 1024, 11) } });
    std::string inst = dir + "\\inst";

    /* Once the copy runs, the user closes the backdrop from its system menu. */
    DriverAction close = Call([] {
        PostMessageA(FindWindowA("Installer", kTitle), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(inst),
                                     ExpectProgress({ WaitPercent(IDC_PROGRESS_FILE_TEXT, 5), close },
                                                    false) });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_LT(TestFileSize(inst + "\\GROS.DAT"), 24 * 1024 * 1024) << "the copy ran to its end";
    for (const DriverWindow &w : r.windows)
        EXPECT_FALSE(w.messageBox) << "no closing message: " << w.text;
    EXPECT_EQ("(none)", TestRegistryString(HKEY_LOCAL_MACHINE, kAppPaths));
}

TEST(Install, SourcesPast2GiB)
{
    std::string dir = TestDist(Script("A=A.DAT\r\nB=B.DAT\r\nC=C.DAT\r\n"));
    std::string inst = dir + "\\inst";
    const char *const thirds[] = { "A.DAT", "B.DAT", "C.DAT" };
    for (const char *name : thirds)
        TestWriteSparse(dir + "\\" + name, 1LL << 30);
    DriverResult sizes = TestPlay(dir, { ExpectBackdrop(), ExpectDirectory({ Escape() }) });
    for (const char *name : thirds)
        DeleteFileA((dir + "\\" + name).c_str());
    ASSERT_TRUE(sizes.ok) << sizes.failure;
    ASSERT_EQ(2u, sizes.windows.size());
    EXPECT_EQ("Cette installation requiert 3145728 Kb.",
              sizes.windows[1].Control(IDC_DIRECTORY_SIZE)->text);

    /* 2.5 GiB, copied whole, its percentage rising as any file's does. The
       copy takes 1 to 2 minutes on two cores, some 16 at a load of ten: the
       limit of 25 is only there for a copy that hangs. */
    const long long big = 2560LL << 20;
    TestMakeDist(dir, Script("Gros=GROS.DAT\r\n"));
    TestWriteSparse(dir + "\\GROS.DAT", big);
    DriverResult copy = TestPlayProgram(
        dir + "\\SETUP.EXE", dir,
        { ExpectBackdrop(), InstallTo(inst),
          ExpectProgress({ WaitPercent(IDC_PROGRESS_FILE_TEXT, 40),
                           WaitPercent(IDC_PROGRESS_FILE_TEXT, 90) }, false),
          Question(IDNO), Closing(kSuccess) },
        1500000);
    long long copied = TestFileSize(inst + "\\GROS.DAT");
    DeleteFileA((inst + "\\GROS.DAT").c_str());
    DeleteFileA((dir + "\\GROS.DAT").c_str());
    ASSERT_TRUE(copy.ok) << copy.failure;
    EXPECT_EQ(big, copied);
}

namespace {

/* Whether the caption bar across the top of rect is drawn: its colour and
   the colour of its text are both there. */
bool CaptionDrawn(const std::string &bmp, const RECT &rect, int bar, int text)
{
    int height = GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME);
    bool barSeen = false, textSeen = false;
    for (int y = rect.top; y < rect.top + height; y++)
        for (int x = rect.left; x < rect.right; x++) {
            COLORREF c = TestShotPixel(bmp, x, y);
            barSeen = barSeen || c == GetSysColor(bar);
            textSeen = textSeen || c == GetSysColor(text);
        }
    return barSeen && textSeen;
}

}  // namespace

/* OK in a box of the copy: once the copy goes on, what the box covered is
   whole again, captions included, and the progress dialog is above the
   backdrop; real clicks on the backdrop and then on Annuler still cancel. */
TEST(Install, WindowsAreWholeAgainAfterABoxOfTheCopy)
{
    std::string dir = TestDist(Script("Bloque=BLOQUE\r\nGros=GROS.DAT\r\n"), { { "BLOQUE", "x" } });
    std::string inst = dir + "\\inst";
    std::string shot = dir + "\\ecran.bmp";
    TestWriteSparse(dir + "\\GROS.DAT", 1LL << 30);
    CreateDirectoryA(inst.c_str(), NULL);
    CreateDirectoryA((inst + "\\BLOQUE").c_str(), NULL);   /* a directory in the way */

    /* The user's side, once the box is answered and the copy goes on: a
       click on the backdrop, and one on Annuler a little later in the copy,
       as a hand would take its time to move. */
    RECT dialogRect = {};
    DriverAction backdropClick = Call([&] {
        GetWindowRect(FindWindowA("#32770", kTitle), &dialogRect);
        DriverClickAt(20, TestScreenHeight() - 20);
    });
    DriverAction cancelClick = Call([&] {
        RECT button;
        GetWindowRect(DriverChild(FindWindowA("#32770", kTitle), IDC_PROGRESS_CANCEL), &button);
        DriverClickAt((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    });
    DriverResult r = TestPlayProgram(
        dir + "\\SETUP.EXE", dir,
        { ExpectBackdrop(), InstallTo(inst), ExpectProgress(),
          Expect("Ne peut ouvrir", { Press(IDOK), WaitPercent(IDC_PROGRESS_FILE_TEXT, 1), Shot(shot),
                                     backdropClick, WaitPercent(IDC_PROGRESS_FILE_TEXT, 3),
                                     cancelClick }),
          Closing(kCancelled) });
    ASSERT_TRUE(r.ok) << r.failure;
    long long partial = TestFileSize(inst + "\\GROS.DAT");
    EXPECT_GE(partial, 0);
    EXPECT_LT(partial, 1LL << 30) << "the copy ran to its end";

    std::string bmp;
    ASSERT_TRUE(TestReadFile(shot, &bmp));
    /* The dialog has the keyboard again, so its caption is the active one. */
    RECT backdropCaption = { 0, 0, dialogRect.left, 0 };
    EXPECT_TRUE(CaptionDrawn(bmp, backdropCaption, COLOR_INACTIVECAPTION, COLOR_INACTIVECAPTIONTEXT))
        << "the backdrop's caption";
    EXPECT_TRUE(CaptionDrawn(bmp, dialogRect, COLOR_ACTIVECAPTION, COLOR_CAPTIONTEXT))
        << "the progress dialog's caption";
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE),
              TestShotPixel(bmp, dialogRect.left + 12, dialogRect.bottom - 12))
        << "the progress dialog is under the backdrop";
    int red = 0;
    for (int y = dialogRect.top; y < dialogRect.bottom; y++)
        for (int x = dialogRect.left; x < dialogRect.right; x++) {
            COLORREF c = TestShotPixel(bmp, x, y);
            red += GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80;
        }
    EXPECT_EQ(0, red) << "pixels of the box's red icon over the progress dialog";
}
