/* The installation to its end: registration with the shell, shortcuts and
   the tiled backdrop. */
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/common/bmp.h"
#include "tests/e2e/support.h"

namespace {

const char kOpen[] = "txtfile\\shell\\open\\command";
const char kPrint[] = "txtfile\\shell\\print\\command";

/* A distribution of Tavelin.exe and the other sections. */
std::string Dist(const std::string &sections)
{
    return TestDist(TestScript("Programme=Tavelin.exe\r\n", sections),
                    { { "Tavelin.exe", "MZ demonstration" } });
}

/* Pictures whose pixel (x, y) is red x * step, green y * step, blue 77: 24
   bits (step 1), or run-length coded with a palette of one colour a pixel,
   RLE8 (16 by 16, step 16) and RLE4 (4 by 4, step 64). gap bytes may lie
   between the colour table and the pixels. */
enum PictureKind { kRgb, kRle8, kRle4 };

std::string Picture(int width, int height, PictureKind kind = kRgb, unsigned gap = 0)
{
    int step = kind == kRle8 ? 16 : kind == kRle4 ? 64 : 1;
    BmpLayout b;
    b.width = width;
    b.height = height;
    b.gap = gap;
    if (kind == kRgb) {
        int row = (width * 3 + 3) & ~3;
        for (int y = height - 1; y >= 0; y--) {
            std::string line;
            for (int x = 0; x < width; x++)
                line += std::string{ (char)77, (char)y, (char)x };
            line.resize(row, '\0');
            b.data += line;
        }
    } else {
        b.bits = kind == kRle8 ? 8 : 4;
        b.compression = kind == kRle8 ? 1 : 2;
        b.coloursUsed = (unsigned)(width * height);
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++)
                b.palette.push_back((unsigned)(x * step) << 16 | (unsigned)(y * step) << 8 | 77u);
        /* bottom-up lines, absolute runs and runs of one pixel in turn */
        for (int k = 0; k < height; k++) {
            int y = height - 1 - k;
            auto index = [&](int x) { return (char)(y * width + x); };
            if (kind == kRle8 && k % 2 == 0) {
                b.data += std::string{ 0, (char)width };
                for (int x = 0; x < width; x++)
                    b.data += index(x);
            } else if (kind == kRle8) {
                for (int x = 0; x < width; x++)
                    b.data += std::string{ 1, index(x) };
            } else if (k % 2 == 0) {
                b.data += std::string{ 0, (char)width };
                for (int x = 0; x < width; x += 2)
                    b.data += (char)(index(x) << 4 | index(x + 1));
            } else {
                for (int x = 0; x < width; x += 2)
                    b.data += std::string{ 2, (char)(index(x) << 4 | index(x + 1)) };
            }
            b.data += std::string{ 0, (char)(k == height - 1 ? 1 : 0) };
        }
    }
    b.sizeImage = (int)b.data.size();
    return BmpFile(b);
}

}  // namespace

TEST(Complete, YesRunRegistersShortcutsAndSuffixes)
{
    std::string dir = Dist("[Groupe]\r\n"
                           "Tavelin.lnk=Tavelin.exe,Editeur Tavelin,%Tavelin.exe,  -2\r\n"
                           "Lisez-moi.lnk=Lisezmoi.txt,Lisez-moi,C:\\windows\\notepad.exe,+3x\r\n"
                           "Nu.lnk=Seul.exe\r\n"
                           "Sans egal\r\n"
                           "\r\n"
                           "Jamais.lnk=x,y\r\n"
                           "[Enregistrement]\r\n"
                           "Suffixes=txt ini\r\n");
    std::string inst = dir + "\\Mon Tavelin";
    DriverAction typed = Type(IDC_REGISTRATION_SUFFIXES, " txt \t\tini  .log log\t");
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(inst), ExpectProgress(),
                                     Question(IDYES), ExpectRegistration({ typed, Press(IDYES) }),
                                     Closing(kSuccess) });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ(0u, r.exitCode);

    const DriverWindow *registration = nullptr;
    for (const DriverWindow &w : r.windows)
        if (w.Control(IDC_REGISTRATION_SUFFIXES) && w.Control(IDYES))
            registration = &w;
    ASSERT_NE(nullptr, registration);
    EXPECT_EQ(kTitle, registration->caption);
    EXPECT_EQ("txt ini", registration->Control(IDC_REGISTRATION_SUFFIXES)->text);
    EXPECT_EQ("&Oui", registration->Control(IDYES)->text);
    EXPECT_EQ("&Non", registration->Control(IDNO)->text);

    const DriverWindow &closing = r.windows.back();
    EXPECT_EQ(kSuccess, closing.text);

    std::string uninstall = std::string(kUninstall) + "\\Tavelin";
    EXPECT_EQ(inst + "\\Tavelin.exe", TestRegistryString(HKEY_LOCAL_MACHINE, kAppPaths));
    EXPECT_EQ("Tavelin", TestRegistryString(HKEY_LOCAL_MACHINE, uninstall, "DisplayName"));
    EXPECT_EQ(TestWindowsDir() + "\\Untave.exe /" + inst,
              TestRegistryString(HKEY_LOCAL_MACHINE, uninstall, "UninstallString"));
    EXPECT_EQ("\"" + inst + "\\Tavelin.exe\" \"%1\"", TestRegistryString(HKEY_CLASSES_ROOT, kOpen));
    EXPECT_EQ("\"" + inst + "\\Tavelin.exe\" /p \"%1\"",
              TestRegistryString(HKEY_CLASSES_ROOT, kPrint));
    EXPECT_EQ("txtfile", TestRegistryString(HKEY_CLASSES_ROOT, ".txt"));
    EXPECT_EQ("txtfile", TestRegistryString(HKEY_CLASSES_ROOT, ".ini"));
    EXPECT_EQ("txtfile", TestRegistryString(HKEY_CLASSES_ROOT, "..log"));
    EXPECT_EQ("txtfile", TestRegistryString(HKEY_CLASSES_ROOT, ".log"));

    std::string group =
        TestRegistryString(HKEY_CURRENT_USER, kShellFolders, "Programs") + "\\Tavelin";
    DriverShortcut s;
    ASSERT_TRUE(DriverReadShortcut(group + "\\Tavelin.lnk", &s));
    EXPECT_EQ(inst + "\\Tavelin.exe", s.target);
    EXPECT_EQ("Editeur Tavelin", s.description);
    EXPECT_EQ(inst + "\\Tavelin.exe", s.iconPath);
    EXPECT_EQ(-2, s.iconIndex);
    EXPECT_EQ(SW_SHOWNORMAL, s.showCommand);

    ASSERT_TRUE(DriverReadShortcut(group + "\\Lisez-moi.lnk", &s));
    EXPECT_EQ(inst + "\\Lisezmoi.txt", s.target);
    EXPECT_EQ("C:\\windows\\notepad.exe", s.iconPath);
    EXPECT_EQ(3, s.iconIndex);

    ASSERT_TRUE(DriverReadShortcut(group + "\\Nu.lnk", &s));
    EXPECT_EQ(inst + "\\Seul.exe", s.target);
    EXPECT_EQ("", s.description);
    EXPECT_EQ(0, s.iconIndex);

    /* a line without '=' is a shortcut named after the whole line */
    ASSERT_TRUE(DriverReadShortcut(group + "\\Sans egal", &s));
    EXPECT_EQ(inst + "\\", s.target);
    /* the empty line ended the list */
    EXPECT_FALSE(TestExists(group + "\\Jamais.lnk"));

    /* the desktop gets the first entry only */
    std::string desktop = TestRegistryString(HKEY_CURRENT_USER, kShellFolders, "Desktop");
    ASSERT_TRUE(DriverReadShortcut(desktop + "\\Tavelin.lnk", &s));
    EXPECT_EQ(inst + "\\Tavelin.exe", s.target);
    EXPECT_FALSE(TestExists(desktop + "\\Lisez-moi.lnk"));
}

TEST(Complete, NoRunQuotesTheFinalArgumentOnly)
{
    const struct { const char *stored, *expected; } cases[] = {
        { "notepad.exe %1", "notepad.exe \"%1\"" },
        { "\"C:\\Mes Programmes\\ed.exe\" /p %1", "\"C:\\Mes Programmes\\ed.exe\" /p \"%1\"" },
        { "notepad.exe \"%1\"", "notepad.exe \"%1\"" },
        { "notepad.exe %1 /x", "notepad.exe %1 /x" },
        { "1", "1" },
        { "", "" },
    };
    std::string dir = Dist("[Enregistrement]\r\nSuffixes=txt\r\n");
    for (const auto &c : cases) {
        TestSetRegistryString(HKEY_CLASSES_ROOT, kOpen, "", c.stored);
        TestSetRegistryString(HKEY_CLASSES_ROOT, kPrint, "", c.stored);
        DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"),
                                         ExpectProgress(), Question(IDNO), Closing(kSuccess) });
        ASSERT_TRUE(r.ok) << r.failure;
        EXPECT_EQ(c.expected, TestRegistryString(HKEY_CLASSES_ROOT, kOpen)) << c.stored;
        EXPECT_EQ(c.expected, TestRegistryString(HKEY_CLASSES_ROOT, kPrint)) << c.stored;
    }
    EXPECT_EQ("(none)", TestRegistryString(HKEY_CLASSES_ROOT, ".txt")) << "no suffix after a no";
}

TEST(Complete, NoRunLeavesACommandTooLongToQuote)
{
    /* quoted, 258 characters would become 260: more than the 259 the
       command may hold, so it is left as it was rather than cut */
    std::string stored = "C:\\" + std::string(252, 'e') + " %1";
    std::string fits = "C:\\" + std::string(251, 'e') + " %1";
    std::string dir = Dist("");
    TestSetRegistryString(HKEY_CLASSES_ROOT, kOpen, "", stored);
    TestSetRegistryString(HKEY_CLASSES_ROOT, kPrint, "", fits);
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"), ExpectProgress(),
                                     Question(IDNO), Closing(kSuccess) });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ(stored, TestRegistryString(HKEY_CLASSES_ROOT, kOpen));
    EXPECT_EQ(fits.substr(0, fits.size() - 2) + "\"%1\"",
              TestRegistryString(HKEY_CLASSES_ROOT, kPrint));
}

TEST(Complete, RegistrationDialogDeclinedRegistersNoSuffix)
{
    std::string dir = Dist("[Enregistrement]\r\nSuffixes=txt\r\n");
    const DriverAction answers[] = { Escape(), Close(), Press(IDNO) };
    for (const DriverAction &answer : answers) {
        DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"),
                                         ExpectProgress(), Question(IDYES),
                                         ExpectRegistration({ answer }), Closing(kSuccess) });
        ASSERT_TRUE(r.ok) << r.failure;
        EXPECT_EQ("(none)", TestRegistryString(HKEY_CLASSES_ROOT, ".txt"));
        EXPECT_EQ("\"" + dir + "\\inst\\Tavelin.exe\" \"%1\"",
                  TestRegistryString(HKEY_CLASSES_ROOT, kOpen));
    }
}

TEST(Complete, YesWithoutRegistrationSectionShowsNoDialog)
{
    std::string dir = Dist("");
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"), ExpectProgress(),
                                     Question(IDYES), Closing(kSuccess) });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ("\"" + dir + "\\inst\\Tavelin.exe\" /p \"%1\"",
              TestRegistryString(HKEY_CLASSES_ROOT, kPrint));
}

TEST(Complete, UninstallKeyFollowsTheApplicationName)
{
    std::string dir = TestDist("[Installer]\r\nApplication=\r\nTitre=T\r\n[Fichiers]\r\n");
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"), ExpectProgress(),
                                     Question(IDNO), Closing("Installation normalement") });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ("", TestRegistryString(HKEY_LOCAL_MACHINE, kUninstall, "DisplayName"));
    EXPECT_EQ(TestWindowsDir() + "\\Untave.exe /" + dir + "\\inst",
              TestRegistryString(HKEY_LOCAL_MACHINE, kUninstall, "UninstallString"));

    std::string nested = TestDir() + "\\nested";
    TestMakeDist(nested,
                 "[Installer]\r\nApplication=Editeurs\\Tavelin\r\nTitre=T\r\n[Fichiers]\r\n");
    r = TestPlay(nested, { ExpectBackdrop(), InstallTo(nested + "\\inst"), ExpectProgress(),
                           Question(IDNO), Closing("Installation normalement") });
    ASSERT_TRUE(r.ok) << r.failure;
    std::string key = std::string(kUninstall) + "\\Editeurs\\Tavelin";
    EXPECT_EQ("Editeurs\\Tavelin", TestRegistryString(HKEY_LOCAL_MACHINE, key, "DisplayName"));
}

TEST(Complete, ExistingGroupFolderAndUnsavableShortcut)
{
    std::string dir =
        Dist("[Groupe]\r\nMauvais|nom.lnk=Tavelin.exe\r\nTavelin.lnk=Tavelin.exe,Editeur\r\n");
    std::string group =
        TestRegistryString(HKEY_CURRENT_USER, kShellFolders, "Programs") + "\\Tavelin";
    ASSERT_TRUE(CreateDirectoryA(group.c_str(), NULL));
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"), ExpectProgress(),
                                     Question(IDNO), Closing(kSuccess) });
    ASSERT_TRUE(r.ok) << r.failure;
    DriverShortcut s;
    EXPECT_FALSE(TestExists(group + "\\Mauvais|nom.lnk"));
    ASSERT_TRUE(DriverReadShortcut(group + "\\Tavelin.lnk", &s));
    EXPECT_EQ("Editeur", s.description);
    /* the desktop shortcut went with the first entry, whose save failed */
    std::string desktop = TestRegistryString(HKEY_CURRENT_USER, kShellFolders, "Desktop");
    EXPECT_FALSE(TestExists(desktop + "\\Tavelin.lnk"));
}

TEST(Complete, WithoutProgramsFolderNothingIsMade)
{
    std::string desktop = TestRegistryString(HKEY_CURRENT_USER, kShellFolders, "Desktop");
    TestDeleteRegistryValue(HKEY_CURRENT_USER, kShellFolders, "Programs");
    std::string dir = Dist("[Groupe]\r\nTavelin.lnk=Tavelin.exe\r\n");
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"), ExpectProgress(),
                                     Question(IDNO), Closing(kSuccess) });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_FALSE(TestExists(desktop + "\\Tavelin.lnk"));
    EXPECT_EQ(dir + "\\inst\\Tavelin.exe", TestRegistryString(HKEY_LOCAL_MACHINE, kAppPaths));
}

TEST(Complete, GroupFolderThatCannotBeCreated)
{
    TestSetRegistryString(HKEY_CURRENT_USER, kShellFolders, "Programs", "C:\\nulle\\part");

    std::string dir = Dist("[Groupe]\r\nTavelin.lnk=Tavelin.exe\r\n");
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"), ExpectProgress(),
                                     Expect("Ne peut cr", { Press(IDOK) }), Question(IDNO),
                                     Closing(kIncomplete) });
    ASSERT_TRUE(r.ok) << r.failure;
    const DriverWindow *box = TestFindBox(r, "Ne peut cr");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("Ne peut créer \"C:\\nulle\\part\\Tavelin\" !", box->text);
    EXPECT_EQ("Tavelin", box->caption);
    EXPECT_EQ("error", box->icon);
    EXPECT_EQ(std::vector<int>{ IDOK }, box->buttons);
}

TEST(Complete, BackdropTilesThePicture)
{
    const struct { const char *name; int width, height, step; std::string bytes; } cases[] = {
        { "24 bits", 100, 80, 1, Picture(100, 80) },
        { "RLE8", 16, 16, 16, Picture(16, 16, kRle8) },
        { "RLE4", 4, 4, 64, Picture(4, 4, kRle4) },
        { "a gap of 5000 bytes before the pixels", 100, 80, 1, Picture(100, 80, kRgb, 5000) },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::string dir = TestDist(TestScript("", "", "Bitmap=images\\FOND.BMP\r\n"),
                                   { { "images\\FOND.BMP", c.bytes } });
        std::string shot = dir + "\\ecran.bmp";
        DriverStep directory = ExpectDirectory({ Shot(shot), Press(IDC_DIRECTORY_CANCEL) });
        DriverResult r = TestPlay(dir, { ExpectBackdrop(), directory });
        ASSERT_TRUE(r.ok) << r.failure;
        ASSERT_EQ(2u, r.windows.size()) << "no message about the picture";
        std::string bmp;
        ASSERT_TRUE(TestReadFile(shot, &bmp));
        /* Every sampled pixel of the client area away from the dialog names
           its own place in the picture: all agree on one origin, so the
           picture is tiled from the client's corner, pixel for pixel. */
        int originX = -1, originY = -1, samples = 0, wrong = 0;
        const RECT &d = r.windows[1].rect;
        for (int y = 60; y < TestScreenHeight(); y += 37) {
            for (int x = 10; x < TestScreenWidth(); x += 41) {
                if (x >= d.left - 2 && x < d.right + 2 && y >= d.top - 2 && y < d.bottom + 2)
                    continue;
                COLORREF pixel = TestShotPixel(bmp, x, y);
                int px = GetRValue(pixel) / c.step, py = GetGValue(pixel) / c.step;
                int ox = ((x - px) % c.width + c.width) % c.width;
                int oy = ((y - py) % c.height + c.height) % c.height;
                if (originX < 0) {
                    originX = ox;
                    originY = oy;
                }
                wrong += GetBValue(pixel) != 77 || px >= c.width || py >= c.height ||
                         RGB(px * c.step, py * c.step, 77) != pixel || ox != originX ||
                         oy != originY;
                samples++;
            }
        }
        EXPECT_GT(samples, 100);
        EXPECT_EQ(0, wrong) << "of " << samples << " pixels sampled";
    }
}

TEST(Complete, BrokenPicturesAreReportedAndTheBackdropStaysPlain)
{
    std::string good = Picture(100, 80);
    std::string badOffset = good;
    badOffset[10] = 20;
    const struct { const char *name; std::string bytes; const char *text; const char *icon; } cases[] = {
        { "ABSENT.BMP", "", "Ne peut ouvrir", "error" },
        { "COURT.BMP", good.substr(0, 54 + 1000), "Ne peut lire", "error" },
        { "ENTETE.BMP", good.substr(0, 10), "Ne peut lire", "error" },
        { "DECALE.BMP", badOffset, "création de bitmap impossible", "information" },
    };
    for (const auto &c : cases) {
        std::string dir = TestDir() + "\\" + c.name;
        TestFiles files;
        if (std::string(c.name) != "ABSENT.BMP")
            files[c.name] = c.bytes;
        TestMakeDist(dir, TestScript("", "", std::string("Bitmap=") + c.name + "\r\n"), files);
        std::string shot = dir + "\\ecran.bmp";
        DriverStep directory = ExpectDirectory({ Shot(shot), Press(IDC_DIRECTORY_CANCEL) });
        DriverResult r =
            TestPlay(dir, { Expect(c.text, { Press(IDOK) }), ExpectBackdrop(), directory });
        ASSERT_TRUE(r.ok) << c.name << ": " << r.failure;
        const DriverWindow &box = r.windows[0];
        EXPECT_EQ("Installer", box.caption) << c.name;
        EXPECT_EQ(c.icon, box.icon) << c.name;
        EXPECT_NE(std::string::npos, box.text.find(dir + "\\" + c.name)) << box.text;
        std::string bmp;
        ASSERT_TRUE(TestReadFile(shot, &bmp));
        EXPECT_EQ(GetSysColor(COLOR_APPWORKSPACE), TestShotPixel(bmp, 20, TestScreenHeight() - 20))
            << c.name;
    }
}

TEST(Complete, EverythingMadeIsReleasedOverAWholeRun)
{
    std::string dir = TestDist(TestScript("Programme=Tavelin.exe\r\n",
                                          "[Groupe]\r\nTavelin.lnk=Tavelin.exe\r\n"
                                          "[Enregistrement]\r\nSuffixes=txt\r\n",
                                          "Bitmap=FOND.BMP\r\n"),
                               { { "Tavelin.exe", "MZ demonstration" },
                                 { "FOND.BMP", Picture(40, 30) } },
                               kCountingProgram);
    std::string whole = dir + "\\whole.txt", early = dir + "\\early.txt";
    std::string refused = dir + "\\refused.txt";

    /* Each run writes its counts where TAV_COUNTS says; the variable goes
       before any check can end the test, so no later test inherits it. */
    SetEnvironmentVariableA("TAV_COUNTS", whole.c_str());
    DriverResult done = TestPlay(dir, {
        ExpectBackdrop(), InstallTo(dir + "\\inst"), ExpectProgress(), Question(IDYES),
        ExpectRegistration({ Press(IDYES) }), Closing(kSuccess) }, "", kCountingProgram);
    SetEnvironmentVariableA("TAV_COUNTS", early.c_str());
    DriverResult cancelled = TestPlay(
        dir, { ExpectBackdrop(), ExpectDirectory({ Press(IDC_DIRECTORY_CANCEL) }) }, "",
        kCountingProgram);
    /* COM refusing to start: no shortcut, and no uninitialisation either. */
    SetEnvironmentVariableA("TAV_COUNTS", refused.c_str());
    SetEnvironmentVariableA("TAV_COM_REFUSE", "1");
    DriverResult noCom = TestPlay(dir, {
        ExpectBackdrop(), InstallTo(dir + "\\sans-com"), ExpectProgress(), Question(IDNO),
        Closing(kSuccess) }, "", kCountingProgram);
    SetEnvironmentVariableA("TAV_COM_REFUSE", NULL);
    SetEnvironmentVariableA("TAV_COUNTS", NULL);

    ASSERT_TRUE(done.ok) << done.failure;
    TestCounts counts = TestReadCounts(whole);
    EXPECT_EQ(kTestNothingHeld, counts.held) << "after a whole installation";
    EXPECT_EQ(3, counts.made["gdi-objects"]) << "two brushes and the picture";
    EXPECT_GT(counts.made["memory-dcs"], 0);
    EXPECT_GT(counts.made["registry-keys"], 0);
    EXPECT_GT(counts.made["com"], 0);

    ASSERT_TRUE(cancelled.ok) << cancelled.failure;
    counts = TestReadCounts(early);
    EXPECT_EQ(kTestNothingHeld, counts.held) << "after Annuler in the Directory dialog";
    EXPECT_EQ(3, counts.made["gdi-objects"]);
    EXPECT_EQ(0, counts.made["com"]);

    ASSERT_TRUE(noCom.ok) << noCom.failure;
    counts = TestReadCounts(refused);
    EXPECT_EQ(kTestNothingHeld, counts.held) << "when COM refuses to start";
    EXPECT_EQ(0, counts.made["com"]);

    /* The shell is told once that associations changed, after the last
       registry write; not when none was written: the commands of the
       prefix's own end with "%1" quoted already, so the No writes none. */
    counts = TestReadCounts(whole);
    EXPECT_EQ(1, counts.made["shell-notifications"]);
    EXPECT_EQ(0, counts.made["other-shell-notifications"]);
    EXPECT_EQ(0, counts.made["registry-keys-after-notification"]);
    for (const std::string &file : { early, refused })
        EXPECT_EQ(0, TestReadCounts(file).made["shell-notifications"]) << file;
}
