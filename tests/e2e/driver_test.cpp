/* The scripted user itself, on a dialog of its own (dialogbed.exe): each
   action does what a user's key or click would do, and the run fails on an
   unexpected window, a missing one or a time-out. */
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/dialogbed.h"
#include "tests/e2e/support.h"

namespace {

/* A copy of the test dialog in a fresh directory; its run's record. */
struct Bed {
    std::string dir = TestDir();
    std::string program = dir + "\\dialogbed.exe";

    Bed()
    {
        EXPECT_TRUE(CopyFileA(TestBuildPath("dialogbed.exe").c_str(), program.c_str(), FALSE));
    }
    DriverResult Play(const std::vector<DriverStep> &steps, int timeoutMs = 120000)
    {
        return TestPlayProgram(program, dir, steps, timeoutMs);
    }
    /* Played on past unexpected windows, their screenshots in dir. */
    DriverResult PlayOn(const std::vector<DriverStep> &steps)
    {
        DriverRun run;
        run.program = program;
        run.directory = dir;
        run.timeoutMs = 120000;
        run.playOn = true;
        run.shots = dir;
        return DriverPlay(run, steps);
    }
    std::string Record()
    {
        std::string bytes;
        return TestReadFile(dir + "\\bed.txt", &bytes) ? bytes : "(no record)";
    }
};

}  // namespace

TEST(DriverActions, EscapeIsTheCancelButton)
{
    Bed bed;
    DriverResult result = bed.Play({ Expect("Banc", { Type(IDC_BED_EDIT, "abc"), Escape() }) });
    EXPECT_TRUE(result.ok) << result.failure;
    EXPECT_EQ(result.exitCode, (DWORD)IDCANCEL);
    EXPECT_EQ(bed.Record(), "2\nabc");
    ASSERT_EQ(result.windows.size(), 1u);
    EXPECT_EQ(result.windows[0].actionsDone,
              (std::vector<std::string>{ "type 100 \"abc\"", "escape (to control 100)" }));
}

TEST(DriverActions, EnterIsTheDefaultButtonAndTypingReplacesTheText)
{
    Bed bed;
    DriverResult result = bed.Play({ Expect("Banc", { Type(IDC_BED_EDIT, "premier"),
                                                      Type(IDC_BED_EDIT, "C:\\Répertoire été"),
                                                      Enter() }) });
    EXPECT_TRUE(result.ok) << result.failure;
    EXPECT_EQ(result.exitCode, (DWORD)IDOK);
    EXPECT_EQ(bed.Record(), "1\nC:\\Répertoire été");
}

TEST(DriverActions, PressAndCloseBox)
{
    Bed bed;
    DriverResult pressed = bed.Play({ Expect("Banc", { Press(IDOK) }) });
    EXPECT_TRUE(pressed.ok) << pressed.failure;
    EXPECT_EQ(pressed.exitCode, (DWORD)IDOK);
    EXPECT_EQ(bed.Record(), "1\n");

    DriverResult closed = bed.Play({ Expect("Banc", { Close() }) });
    EXPECT_TRUE(closed.ok) << closed.failure;
    EXPECT_EQ(closed.exitCode, (DWORD)IDCANCEL);
    EXPECT_EQ(bed.Record(), "2\n");

    /* A button that the window does not have fails the run. */
    DriverResult missing = bed.Play({ Expect("Banc", { Press(77) }) });
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.failure.find("no control 77"), std::string::npos) << missing.failure;
}

TEST(DriverActions, WaitsForPercentAndText)
{
    Bed bed;
    DriverResult result = bed.Play({ Expect("Banc", { WaitPercent(IDC_BED_PERCENT, 60),
                                                      WaitText(IDC_BED_STATUS, "prêt"),
                                                      WaitPercent(IDC_BED_PERCENT, 100),
                                                      Press(IDCANCEL) }) });
    EXPECT_TRUE(result.ok) << result.failure;
    ASSERT_EQ(result.windows.size(), 1u);
    const std::vector<std::string> &done = result.windows[0].actionsDone;
    ASSERT_EQ(done.size(), 4u);
    /* "wait-percent 101 60 (read "65 %")": a value of at least 60 was read. */
    size_t quote = done[0].find("(read \"");
    ASSERT_NE(quote, std::string::npos) << done[0];
    EXPECT_GE(atoi(done[0].c_str() + quote + 7), 60) << done[0];
    EXPECT_EQ(done[1], "wait-text 102 \"prêt\" (read \"Terminé, prêt\")");
    EXPECT_EQ(done[2], "wait-percent 101 100 (read \"100 %\")");
    /* The snapshot was taken when the counter had not yet run out. */
    ASSERT_NE(result.windows[0].Control(IDC_BED_STATUS), nullptr);
    EXPECT_EQ(result.windows[0].Control(IDC_BED_STATUS)->text, "En cours");

    /* A wait that cannot end ends the run at its time-out. */
    DriverResult never = bed.Play({ Expect("Banc", { WaitText(IDC_BED_STATUS, "jamais") }) }, 1500);
    EXPECT_FALSE(never.ok);
    EXPECT_NE(never.failure.find("time-out"), std::string::npos) << never.failure;
}

TEST(DriverActions, ShotSavesTheScreenAsA24BitBitmap)
{
    Bed bed;
    std::string path = bed.dir + "\\ecran.bmp";
    DriverResult result = bed.Play({ Expect("Banc", { WaitPercent(IDC_BED_PERCENT, 100), Shot(path),
                                                      Press(IDOK) }) });
    EXPECT_TRUE(result.ok) << result.failure;
    std::string bytes;
    ASSERT_TRUE(TestReadFile(path, &bytes));
    ASSERT_GT(bytes.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    memcpy(&file, bytes.data(), sizeof file);
    memcpy(&info, bytes.data() + sizeof file, sizeof info);
    EXPECT_EQ(file.bfType, 0x4D42);
    EXPECT_EQ(file.bfSize, bytes.size());
    EXPECT_EQ(info.biBitCount, 24);
    EXPECT_EQ(info.biWidth, TestScreenWidth());
    EXPECT_EQ(info.biHeight, TestScreenHeight());
    size_t stride = ((size_t)info.biWidth * 3 + 3) & ~(size_t)3;
    EXPECT_EQ(bytes.size(), file.bfOffBits + stride * (size_t)info.biHeight);

    /* The dialog is in the picture: its title bar and face differ in colour
       from the empty screen around it. */
    const DriverWindow &w = result.windows[0];
    int middleX = (w.rect.left + w.rect.right) / 2;
    int middleY = (w.rect.top + w.rect.bottom) / 2;
    EXPECT_NE(TestShotPixel(bytes, middleX, middleY), TestShotPixel(bytes, 2, 2));
}

TEST(DriverMatching, UnexpectedMissingAndOptionalWindows)
{
    Bed bed;
    {
        SCOPED_TRACE("unexpected");
        DriverResult result = bed.Play({ Expect("Autre chose", { Press(IDOK) }) });
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.failure.find("unexpected window \"Banc d'essai\""), std::string::npos)
            << result.failure;
        ASSERT_EQ(result.windows.size(), 1u);
        EXPECT_EQ(result.windows[0].caption, "Banc d'essai");
        EXPECT_NE(result.exitCode, (DWORD)IDOK) << "the program was not ended";
        EXPECT_NE(result.transcript.find("unexpected"), std::string::npos);
    }
    {
        SCOPED_TRACE("unexpected, played on");
        DriverResult result = bed.PlayOn({ Expect("Autre chose", { Press(IDCANCEL) }) });
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.exitCode, (DWORD)IDOK) << "answered with its default button, not ended";
        ASSERT_EQ(result.windows.size(), 1u);
        EXPECT_EQ(result.windows[0].actionsDone,
                  (std::vector<std::string>{ "shot " + bed.dir + "\\unexpected-01.bmp", "press 1" }));
        EXPECT_GT(TestFileSize(bed.dir + "\\unexpected-01.bmp"), 0);
        ASSERT_EQ(result.failures.size(), 2u) << result.transcript;
        EXPECT_EQ(result.failure, result.failures[0]);
        EXPECT_NE(result.failures[0].find("unexpected window \"Banc d'essai\""), std::string::npos);
        EXPECT_NE(result.failures[1].find("ended before window \"Autre chose\""),
                  std::string::npos);
    }
    {
        SCOPED_TRACE("class");
        DriverResult result = bed.Play({ Expect("Banc", { Press(IDOK) }, "Installer") });
        EXPECT_FALSE(result.ok);
    }
    {
        SCOPED_TRACE("the text of a control");
        DriverStep step = Expect("Banc", { Press(IDOK) });
        step.control = "Annul";
        DriverResult found = bed.Play({ step });
        EXPECT_TRUE(found.ok) << found.failure;
        step.control = "Installer";
        DriverResult absent = bed.Play({ step });
        EXPECT_FALSE(absent.ok);
        EXPECT_NE(absent.failure.find("unexpected window"), std::string::npos) << absent.failure;
    }
    {
        SCOPED_TRACE("a window that never comes");
        DriverResult result =
            bed.Play({ Expect("Banc", { Press(IDOK) }), Expect("Suite") });
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.failure.find("ended before window \"Suite\""), std::string::npos)
            << result.failure;
        EXPECT_EQ(result.exitCode, (DWORD)IDOK);
    }
    {
        SCOPED_TRACE("time-out");
        /* The time-out counts from the start; Banc, optional, may come or
           not before it on a busy machine: the wait that runs out is
           Suite's either way. */
        DriverResult result = bed.Play({ Expect("Banc", {}, "", true), Expect("Suite") }, 3000);
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.failure.find("time-out waiting for window \"Suite\""), std::string::npos)
            << result.failure;
        EXPECT_NE(result.exitCode, (DWORD)IDOK);
    }
    {
        SCOPED_TRACE("optional windows passed over, before and after");
        DriverResult result = bed.Play({ Expect("Absente", {}, "", true),
                                         Expect("Banc", { Press(IDOK) }, "#32770"),
                                         Expect("Absente aussi", {}, "", true) });
        EXPECT_TRUE(result.ok) << result.failure;
        EXPECT_EQ(result.exitCode, (DWORD)IDOK);
    }
    {
        SCOPED_TRACE("an optional window met");
        DriverResult result = bed.Play({ Expect("Banc", { Press(IDOK) }, "", true) });
        EXPECT_TRUE(result.ok) << result.failure;
        EXPECT_EQ(result.exitCode, (DWORD)IDOK);
    }
}

TEST(DriverTranscript, SnapshotOfTheDialog)
{
    Bed bed;
    DriverResult result = bed.Play({ Expect("Banc", { Press(IDCANCEL) }) });
    EXPECT_TRUE(result.ok) << result.failure;
    ASSERT_EQ(result.windows.size(), 1u);
    const DriverWindow &w = result.windows[0];
    EXPECT_EQ(w.className, "#32770");
    EXPECT_FALSE(w.messageBox);
    EXPECT_EQ(w.owner, "none");
    EXPECT_GT(w.rect.right, w.rect.left);
    EXPECT_GE(w.answeredMs, w.appearedMs);
    std::vector<int> ids;
    for (const DriverControl &c : w.controls)
        ids.push_back(c.id);
    EXPECT_EQ(ids, (std::vector<int>{ IDC_BED_EDIT, IDC_BED_PERCENT, IDC_BED_STATUS, IDOK, IDCANCEL }));
    EXPECT_EQ(w.Control(IDCANCEL)->className, "Button");
    EXPECT_EQ(w.Control(IDCANCEL)->text, "Annuler");
    EXPECT_EQ(w.Control(IDC_BED_EDIT)->className, "Edit");
    EXPECT_EQ(w.Control(12345), nullptr);
    for (const char *line : { "class #32770, caption \"Banc d'essai\"", "control 2 Button \"Annuler\"",
                              "control 100 Edit \"\"", "press 2", "exit code 2", "ok\n" })
        EXPECT_NE(result.transcript.find(line), std::string::npos) << line << "\n"
                                                                   << result.transcript;
}

/* The scripted user tells the message box icons apart by their pixels. */
TEST(DriverIcons, ToldApartOnRealMessageBoxes)
{
    struct {
        UINT style;
        const char *icon;
    } cases[] = {
        { MB_ICONERROR, "error" },
        { MB_ICONINFORMATION, "information" },
        { MB_ICONQUESTION, "question" },
        { MB_ICONWARNING, "warning" },
        { 0, "none" },
    };
    DriverBoxWatch *watch = DriverWatchOwnBoxes(IDOK);
    for (const auto &c : cases)
        EXPECT_EQ(MessageBoxA(NULL, "Un essai d'ic\xF4ne", "Essai", MB_OK | c.style), IDOK);
    /* An icon of none of the four kinds. */
    MSGBOXPARAMSA params = {};
    params.cbSize = sizeof params;
    params.lpszText = "Une autre ic\xF4ne";
    params.lpszCaption = "Essai";
    params.dwStyle = MB_OK | MB_USERICON;
    params.lpszIcon = (LPCSTR)IDI_APPLICATION;
    EXPECT_EQ(MessageBoxIndirectA(&params), IDOK);
    std::vector<DriverWindow> boxes = DriverStopWatching(watch);

    ASSERT_EQ(boxes.size(), 6u);
    for (size_t i = 0; i < 5; i++) {
        SCOPED_TRACE(cases[i].icon);
        EXPECT_TRUE(boxes[i].messageBox);
        EXPECT_EQ(boxes[i].caption, "Essai");
        EXPECT_EQ(boxes[i].text, "Un essai d'icône");
        EXPECT_EQ(boxes[i].icon, cases[i].icon);
    }
    EXPECT_EQ(boxes[5].text, "Une autre icône");
    EXPECT_EQ(boxes[5].icon, "unknown");
}

TEST(DriverScenario, Parses)
{
    std::vector<DriverStep> steps;
    std::string error;
    const char *text =
        "\xEF\xBB\xBF# a comment\r\n"
        "window \"Tavelin\" class Installer\r\n"
        "\r\n"
        "window \"Ne peut ouvrir \"\"C:\\x\"\" !\" optional\n"
        "    type 257 \"C:\\Program Files\\Tavelin é\"\n"
        "    press 0x103\n"
        "\tescape\n"
        "    enter\n"
        "    close\n"
        "    # inside\n"
        "    wait-percent 260 50\n"
        "    wait-text 256 \"TAVELIN.EXE\"\n"
        "    shot C:\\shots\\un deux.bmp\n"
        "    sleep 100\n"
        "    time-next-window\n"
        "window \"\" control \"&Installer\" class #32770\n";
    ASSERT_TRUE(DriverParseScenario(text, &steps, &error)) << error;
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].match, "Tavelin");
    EXPECT_EQ(steps[0].className, "Installer");
    EXPECT_FALSE(steps[0].optional);
    EXPECT_TRUE(steps[0].actions.empty());
    EXPECT_EQ(steps[1].match, "Ne peut ouvrir \"C:\\x\" !");
    EXPECT_TRUE(steps[1].optional);
    EXPECT_EQ(steps[1].className, "");
    const std::vector<DriverAction> &a = steps[1].actions;
    ASSERT_EQ(a.size(), 10u);
    EXPECT_EQ(a[0].kind, DriverAction::Type);
    EXPECT_EQ(a[0].id, 257);
    EXPECT_EQ(a[0].text, "C:\\Program Files\\Tavelin é");
    EXPECT_EQ(a[1].kind, DriverAction::Press);
    EXPECT_EQ(a[1].id, 259);
    EXPECT_EQ(a[2].kind, DriverAction::Escape);
    EXPECT_EQ(a[3].kind, DriverAction::Enter);
    EXPECT_EQ(a[4].kind, DriverAction::Close);
    EXPECT_EQ(a[5].kind, DriverAction::WaitPercent);
    EXPECT_EQ(a[5].id, 260);
    EXPECT_EQ(a[5].number, 50);
    EXPECT_EQ(a[6].kind, DriverAction::WaitText);
    EXPECT_EQ(a[6].text, "TAVELIN.EXE");
    EXPECT_EQ(a[7].kind, DriverAction::Shot);
    EXPECT_EQ(a[7].text, "C:\\shots\\un deux.bmp");
    EXPECT_EQ(a[8].kind, DriverAction::Sleep);
    EXPECT_EQ(a[8].number, 100);
    EXPECT_EQ(a[9].kind, DriverAction::TimeNextWindow);
    EXPECT_EQ(steps[2].match, "");
    EXPECT_EQ(steps[2].control, "&Installer");
    EXPECT_EQ(steps[2].className, "#32770");
    EXPECT_EQ(steps[0].control, "");
}

/* A timed copy: the progress dialog's life, taken in SETUP.EXE's thread
   while the scripted user keeps out of the way; that window is not met, the
   windows after it are, as always. A box in the middle of the copy ends the
   timing without a figure, and is met as the scenario says. */
TEST(DriverTiming, TimesTheCopyWithoutMeetingItsWindow)
{
    std::string data = TestBytes(100000, 21);
    std::string dir = TestDist(TestScript("A=A.DAT\r\nB=B.DAT\r\n"),
                               { { "A.DAT", data }, { "B.DAT", data } });
    std::string inst = dir + "\\inst";
    DriverStep directory = ExpectDirectory(
        { Type(IDC_DIRECTORY_PATH, inst), TimeNextWindow(), Press(IDC_DIRECTORY_INSTALL) });
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), directory, ExpectProgress(),
                                     Question(IDNO), Closing(kSuccess) });
    ASSERT_TRUE(r.ok) << r.failure;
    ASSERT_EQ(1u, r.timedMs.size()) << r.transcript;
    EXPECT_GT(r.timedMs[0], 0.0);
    for (const DriverWindow &w : r.windows)
        EXPECT_EQ(nullptr, w.Control(IDC_PROGRESS_CANCEL)) << "the timed window was met";
    EXPECT_FILE(inst + "\\B.DAT", data);

    /* B's destination is a directory: its box shows while the copy is timed */
    ASSERT_TRUE(DeleteFileA((inst + "\\B.DAT").c_str()));
    ASSERT_TRUE(CreateDirectoryA((inst + "\\B.DAT").c_str(), NULL));
    r = TestPlay(dir, { ExpectBackdrop(), directory, ExpectProgress(),
                        Expect("Ne peut ouvrir", { Press(IDOK) }), ExpectProgress(),
                        Question(IDNO), Closing(kIncomplete) });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_TRUE(r.timedMs.empty());
    EXPECT_NE(std::string::npos,
              r.transcript.find("timed window: no figure, another window showed"))
        << r.transcript;
}

/* Each text is wrong on its last line: the error names that line and the
   word that is wrong there. */
TEST(DriverScenario, RejectsWithTheLineNumber)
{
    struct {
        const char *text;
        const char *word;
    } cases[] = {
        { "    press 1\n", "before any window" },
        { "window \"A\"\n  press\n", "press" },
        { "window \"A\"\n  press x1\n", "press" },
        { "window \"A\"\n  jump 3\n", "jump" },
        { "window \"A\" sometimes\n", "sometimes" },
        { "window \"A\" class\n", "class" },
        { "window \"A\" control\n", "control" },
        { "# x\nfenetre \"A\"\n", "fenetre" },
        { "window \"A\n", "window" },
        { "window\n", "window" },
        { "window A\n  type 257 \"x\" y\n", "type" },
        { "window A\n  escape now\n", "escape" },
    };
    for (const auto &c : cases) {
        std::vector<DriverStep> steps;
        std::string error;
        EXPECT_FALSE(DriverParseScenario(c.text, &steps, &error)) << c.text;
        std::string text = c.text;
        std::string line = "line " + std::to_string(std::count(text.begin(), text.end(), '\n'));
        EXPECT_EQ(0u, error.find(line + ": ")) << error;
        EXPECT_NE(std::string::npos, error.find(c.word)) << error;
    }
}

/* The command-line form: scenario file in, transcript file and exit code out. */
TEST(DriverCommandLine, PlaysAScenarioFile)
{
    Bed bed;
    std::string scenario = bed.dir + "\\scenario.txt";
    std::string transcript = bed.dir + "\\transcript.txt";
    auto run = [&](const std::string &text) -> DWORD {
        TestWriteFile(scenario, text);
        std::string command = "\"" + TestBuildPath("userdriver.exe") + "\" --program \"" +
                              bed.program + "\" --cwd \"" + bed.dir + "\" --scenario \"" +
                              scenario + "\" --transcript \"" + transcript +
                              "\" --timeout 120000";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                            &process))
            return 999;
        DWORD code = 999;
        if (WaitForSingleObject(process.hProcess, 180000) == WAIT_TIMEOUT)
            TerminateProcess(process.hProcess, 999);
        else
            GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        return code;
    };

    EXPECT_EQ(run("window \"Banc\"\n    type 100 \"dé\"\n    enter\n"), 0u);
    EXPECT_EQ(bed.Record(), "1\ndé");
    std::string text;
    ASSERT_TRUE(TestReadFile(transcript, &text));
    EXPECT_NE(text.find("type 100 \"dé\""), std::string::npos) << text;
    EXPECT_NE(text.find("exit code 1\nok\n"), std::string::npos) << text;

    EXPECT_EQ(run("window \"Autre\"\n    enter\n"), 1u);
    ASSERT_TRUE(TestReadFile(transcript, &text));
    EXPECT_NE(text.find("failure: unexpected window"), std::string::npos) << text;

    EXPECT_EQ(run("window \"Banc\"\n    bondir\n"), 1u) << "a bad scenario";
}

TEST(DriverReadBack, RegistryStrings)
{
    const char *path = "Software\\Tavelin essais\\Clé";
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Tavelin essais\\Cl\u00e9", 0, NULL, 0,
                              KEY_WRITE, NULL, &key, NULL),
              ERROR_SUCCESS);
    const wchar_t named[] = L"Éditeur de textes";
    const wchar_t unnamed[] = L"défaut";
    RegSetValueExW(key, L"Nom", 0, REG_SZ, (const BYTE *)named, sizeof named);
    RegSetValueExW(key, NULL, 0, REG_SZ, (const BYTE *)unnamed, sizeof unnamed);
    DWORD number = 7;
    RegSetValueExW(key, L"Nombre", 0, REG_DWORD, (const BYTE *)&number, sizeof number);
    RegCloseKey(key);

    std::string value;
    EXPECT_TRUE(DriverRegistryKeyExists(HKEY_CURRENT_USER, path));
    EXPECT_FALSE(DriverRegistryKeyExists(HKEY_CURRENT_USER, "Software\\Tavelin essais\\Non"));
    EXPECT_TRUE(DriverReadRegistryString(HKEY_CURRENT_USER, path, "Nom", &value));
    EXPECT_EQ(value, "Éditeur de textes");
    EXPECT_TRUE(DriverReadRegistryString(HKEY_CURRENT_USER, path, "", &value));
    EXPECT_EQ(value, "défaut");
    EXPECT_FALSE(DriverReadRegistryString(HKEY_CURRENT_USER, path, "Absent", &value));
    EXPECT_FALSE(DriverReadRegistryString(HKEY_CURRENT_USER, path, "Nombre", &value));

    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tavelin essais");
    EXPECT_FALSE(DriverRegistryKeyExists(HKEY_CURRENT_USER, path));
}

TEST(DriverReadBack, Shortcut)
{
    std::string dir = TestDir();
    std::string path = dir + "\\Tavelin.lnk";
    /* Made with the shell's own object; every check after COM is released. */
    HRESULT com = CoInitialize(NULL);
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    HRESULT made = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    (void **)&link);
    if (SUCCEEDED(made)) {
        link->SetPath("C:\\Tavelin\\TAVELIN.EXE");
        link->SetDescription("\xC9" "diteur Tavelin");
        link->SetIconLocation("C:\\Tavelin\\TAVELIN.EXE", 2);
        link->SetShowCmd(SW_SHOWMAXIMIZED);
        made = link->QueryInterface(IID_IPersistFile, (void **)&file);
    }
    if (SUCCEEDED(made))
        made = file->Save(DriverWide(path).c_str(), TRUE);
    for (IUnknown *held : { (IUnknown *)file, (IUnknown *)link })
        if (held != NULL)
            held->Release();
    if (SUCCEEDED(com))
        CoUninitialize();
    ASSERT_TRUE(SUCCEEDED(com));
    ASSERT_TRUE(SUCCEEDED(made)) << std::hex << made;

    DriverShortcut shortcut;
    ASSERT_TRUE(DriverReadShortcut(path, &shortcut));
    EXPECT_EQ(shortcut.target, "C:\\Tavelin\\TAVELIN.EXE");
    EXPECT_EQ(shortcut.description, "Éditeur Tavelin");
    EXPECT_EQ(shortcut.iconPath, "C:\\Tavelin\\TAVELIN.EXE");
    EXPECT_EQ(shortcut.iconIndex, 2);
    EXPECT_EQ(shortcut.showCommand, SW_SHOWMAXIMIZED);

    DriverShortcut none;
    EXPECT_FALSE(DriverReadShortcut(dir + "\\absent.lnk", &none));
}

TEST(DriverText, AnsiConversions)
{
    EXPECT_EQ(DriverFromAnsi("R\xE9pertoire \x80"), "Répertoire €");
    EXPECT_EQ(DriverToAnsi("Répertoire €"), "R\xE9pertoire \x80");
    EXPECT_EQ(DriverFromAnsi(""), "");
    EXPECT_EQ(DriverToAnsi(DriverFromAnsi("\xC0\xFF")), "\xC0\xFF");
}

/* The bed's prefix has Wine's own fonts: without Marlett the caption buttons
   of every screenshot are drawn as letters; Tahoma and MS Sans Serif are the
   dialogs' fonts. A face that is missing is replaced by another one. */
TEST(DriverBed, PrefixHasWinesOwnFonts)
{
    HDC screen = GetDC(NULL);
    for (const char *face : { "Marlett", "Tahoma", "MS Sans Serif" }) {
        HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                 face);
        HGDIOBJ kept = SelectObject(screen, font);
        char got[LF_FACESIZE] = "";
        GetTextFaceA(screen, sizeof got, got);
        SelectObject(screen, kept);
        DeleteObject(font);
        EXPECT_STREQ(face, got);
    }
    ReleaseDC(NULL, screen);
}
