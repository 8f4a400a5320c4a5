/* The installation to its end: registration with the shell, shortcuts and
   the tiled backdrop. */
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/support.h"

namespace {

const int kCancel = 260;
const int kSuffixes = 257;

const char kTitle[] = "Installation de Tavelin";
const char kSuccess[] = "Installation normalement terminée.";
const char kIncomplete[] = "L'installation n'a pas été effectuée correctement";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kOpen[] = "txtfile\\shell\\open\\command";
const char kPrint[] = "txtfile\\shell\\print\\command";

std::string Script(const std::string &application, const std::string &rest)
{
    return "[Installer]\r\nApplication=" + application +
           "\r\nTitre=Installation de Tavelin\r\n[Fichiers]\r\nProgramme=Tavelin.exe\r\n" + rest;
}

DriverStep Question(int answer) { return Expect("Souhaitez vous configurer", { Press(answer) }); }

DriverStep Closing(const char *text) { return Expect(text, { Press(IDOK) }); }

std::string Read(HKEY root, const std::string &path, const std::string &name = "")
{
    std::string value;
    if (!DriverReadRegistryString(root, path, name, &value))
        return "(none)";
    return value;
}

void Write(HKEY root, const std::string &path, const std::string &value)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL,
                                             &key, NULL));
    RegSetValueExA(key, NULL, 0, REG_SZ, (const BYTE *)value.c_str(), (DWORD)value.size() + 1);
    RegCloseKey(key);
}

void DeleteShellFolder(const char *name)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &key));
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

std::string ShellFolder(const char *name) { return Read(HKEY_CURRENT_USER, kShellFolders, name); }

/* A dist with Tavelin.exe as its one file. */
std::string Dist(const std::string &script)
{
    std::string dir = TestDir();
    TestMakeDist(dir, script);
    TestWriteFile(dir + "\\Tavelin.exe", "MZ demonstration");
    return dir;
}

/* Pictures whose pixel (x, y) is red x * step, green y * step, blue 77: 24
   bits (step 1), or run-length coded with a palette of one colour a pixel,
   RLE8 (16 by 16, step 16) and RLE4 (4 by 4, step 64). gap bytes may lie
   between the colour table and the pixels. */
enum PictureKind { kRgb, kRle8, kRle4 };

std::string Picture(int width, int height, PictureKind kind = kRgb, unsigned gap = 0)
{
    auto put32 = [](std::string &s, unsigned v) {
        for (int i = 0; i < 4; i++)
            s += (char)(v >> (8 * i));
    };
    auto put16 = [](std::string &s, unsigned v) { s += (char)v; s += (char)(v >> 8); };
    int step = kind == kRle8 ? 16 : kind == kRle4 ? 64 : 1;
    std::string table, pixels;
    if (kind == kRgb) {
        int row = (width * 3 + 3) & ~3;
        for (int y = height - 1; y >= 0; y--) {
            std::string line;
            for (int x = 0; x < width; x++)
                line += std::string{ (char)77, (char)y, (char)x };
            line.resize(row, '\0');
            pixels += line;
        }
    } else {
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++)
                put32(table, (unsigned)(x * step) << 16 | (unsigned)(y * step) << 8 | 77u);
        /* bottom-up lines, absolute runs and runs of one pixel in turn */
        for (int k = 0; k < height; k++) {
            int y = height - 1 - k;
            auto index = [&](int x) { return (char)(y * width + x); };
            if (kind == kRle8 && k % 2 == 0) {
                pixels += std::string{ 0, (char)width };
                for (int x = 0; x < width; x++)
                    pixels += index(x);
            } else if (kind == kRle8) {
                for (int x = 0; x < width; x++)
                    pixels += std::string{ 1, index(x) };
            } else if (k % 2 == 0) {
                pixels += std::string{ 0, (char)width };
                for (int x = 0; x < width; x += 2)
                    pixels += (char)(index(x) << 4 | index(x + 1));
            } else {
                for (int x = 0; x < width; x += 2)
                    pixels += std::string{ 2, (char)(index(x) << 4 | index(x + 1)) };
            }
            pixels += std::string{ 0, (char)(k == height - 1 ? 1 : 0) };
        }
    }
    unsigned offBits = 54 + (unsigned)table.size() + gap;
    std::string bmp = "BM";
    put32(bmp, offBits + (unsigned)pixels.size());
    put32(bmp, 0);
    put32(bmp, offBits);
    put32(bmp, 40);
    put32(bmp, (unsigned)width);
    put32(bmp, (unsigned)height);
    put16(bmp, 1);
    put16(bmp, kind == kRle8 ? 8 : kind == kRle4 ? 4 : 24);
    put32(bmp, kind == kRle8 ? 1 : kind == kRle4 ? 2 : 0);
    put32(bmp, (unsigned)pixels.size());
    put32(bmp, 0);
    put32(bmp, 0);
    put32(bmp, kind == kRgb ? 0 : (unsigned)(width * height));
    put32(bmp, 0);
    return bmp + table + std::string(gap, '\0') + pixels;
}

}  // namespace

TEST(Complete, YesRunRegistersShortcutsAndSuffixes)
{
    std::string dir = Dist(Script("Tavelin",
        "[Groupe]\r\n"
        "Tavelin.lnk=Tavelin.exe,Editeur Tavelin,%Tavelin.exe,  -2\r\n"
        "Lisez-moi.lnk=Lisezmoi.txt,Lisez-moi,C:\\windows\\notepad.exe,+3x\r\n"
        "Nu.lnk=Seul.exe\r\n"
        "Sans egal\r\n"
        "\r\n"
        "Jamais.lnk=x,y\r\n"
        "[Enregistrement]\r\n"
        "Suffixes=txt ini\r\n"));
    std::string inst = dir + "\\Mon Tavelin";
    DriverResult r = TestPlay(dir, {
        ExpectBackdrop(), InstallTo(inst), ExpectProgress(), Question(IDYES),
        ExpectRegistration({ Type(kSuffixes, " txt \t\tini  .log log\t"), Press(IDYES) }),
        Closing(kSuccess) });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ(0u, r.exitCode);

    const DriverWindow *registration = nullptr;
    for (const DriverWindow &w : r.windows)
        if (w.Control(kSuffixes) && w.Control(IDYES))
            registration = &w;
    ASSERT_NE(nullptr, registration);
    EXPECT_EQ(kTitle, registration->caption);
    EXPECT_EQ("txt ini", registration->Control(kSuffixes)->text);
    EXPECT_EQ("&Oui", registration->Control(IDYES)->text);
    EXPECT_EQ("&Non", registration->Control(IDNO)->text);

    const DriverWindow &closing = r.windows.back();
    EXPECT_EQ("Installation normalement terminée. Une icône \"Tavelin\" a été créée sur votre "
              "bureau ainsi qu'un dossier dans votre menu \"Démarrer\\programmes\".", closing.text);

    EXPECT_EQ(inst + "\\Tavelin.exe",
              Read(HKEY_LOCAL_MACHINE,
                   "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tavelin.exe"));
    EXPECT_EQ("Tavelin", Read(HKEY_LOCAL_MACHINE, std::string(kUninstall) + "\\Tavelin", "DisplayName"));
    EXPECT_EQ(TestWindowsDir() + "\\Untave.exe /" + inst,
              Read(HKEY_LOCAL_MACHINE, std::string(kUninstall) + "\\Tavelin", "UninstallString"));
    EXPECT_EQ("\"" + inst + "\\Tavelin.exe\" \"%1\"", Read(HKEY_CLASSES_ROOT, kOpen));
    EXPECT_EQ("\"" + inst + "\\Tavelin.exe\" /p \"%1\"", Read(HKEY_CLASSES_ROOT, kPrint));
    EXPECT_EQ("txtfile", Read(HKEY_CLASSES_ROOT, ".txt"));
    EXPECT_EQ("txtfile", Read(HKEY_CLASSES_ROOT, ".ini"));
    EXPECT_EQ("txtfile", Read(HKEY_CLASSES_ROOT, "..log"));
    EXPECT_EQ("txtfile", Read(HKEY_CLASSES_ROOT, ".log"));

    std::string group = ShellFolder("Programs") + "\\Tavelin";
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
    std::string desktop = ShellFolder("Desktop");
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
    std::string dir = Dist(Script("Tavelin", "[Enregistrement]\r\nSuffixes=txt\r\n"));
    for (const auto &c : cases) {
        Write(HKEY_CLASSES_ROOT, kOpen, c.stored);
        Write(HKEY_CLASSES_ROOT, kPrint, c.stored);
        DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"), ExpectProgress(),
                                         Question(IDNO), Closing(kSuccess) });
        ASSERT_TRUE(r.ok) << r.failure;
        EXPECT_EQ(c.expected, Read(HKEY_CLASSES_ROOT, kOpen)) << c.stored;
        EXPECT_EQ(c.expected, Read(HKEY_CLASSES_ROOT, kPrint)) << c.stored;
    }
    EXPECT_EQ("(none)", Read(HKEY_CLASSES_ROOT, ".txt")) << "no suffix after a no";
}

TEST(Complete, NoRunLeavesACommandTooLongToQuote)
{
    /* quoted, 258 characters would become 260: more than the 259 the
       command may hold, so it is left as it was rather than cut */
    std::string stored = "C:\\" + std::string(252, 'e') + " %1";
    ASSERT_EQ(258u, stored.size());
    std::string fits = "C:\\" + std::string(251, 'e') + " %1";
    std::string dir = Dist(Script("Tavelin", ""));
    Write(HKEY_CLASSES_ROOT, kOpen, stored);
    Write(HKEY_CLASSES_ROOT, kPrint, fits);
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"), ExpectProgress(),
                                     Question(IDNO), Closing(kSuccess) });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ(stored, Read(HKEY_CLASSES_ROOT, kOpen));
    EXPECT_EQ(fits.substr(0, fits.size() - 2) + "\"%1\"", Read(HKEY_CLASSES_ROOT, kPrint));
}

TEST(Complete, RegistrationDialogDeclinedRegistersNoSuffix)
{
    std::string dir = Dist(Script("Tavelin", "[Enregistrement]\r\nSuffixes=txt\r\n"));
    const DriverAction answers[] = { Escape(), Close(), Press(IDNO) };
    for (const DriverAction &answer : answers) {
        DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"), ExpectProgress(),
                                         Question(IDYES), ExpectRegistration({ answer }),
                                         Closing(kSuccess) });
        ASSERT_TRUE(r.ok) << r.failure;
        EXPECT_EQ("(none)", Read(HKEY_CLASSES_ROOT, ".txt"));
        EXPECT_EQ("\"" + dir + "\\inst\\Tavelin.exe\" \"%1\"", Read(HKEY_CLASSES_ROOT, kOpen));
    }
}

TEST(Complete, YesWithoutRegistrationSectionShowsNoDialog)
{
    std::string dir = Dist(Script("Tavelin", ""));
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"), ExpectProgress(),
                                     Question(IDYES), Closing(kSuccess) });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ("\"" + dir + "\\inst\\Tavelin.exe\" /p \"%1\"", Read(HKEY_CLASSES_ROOT, kPrint));
}

TEST(Complete, UninstallKeyFollowsTheApplicationName)
{
    std::string dir = Dist(Script("", ""));
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"), ExpectProgress(),
                                     Question(IDNO), Closing("Installation normalement") });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ("", Read(HKEY_LOCAL_MACHINE, kUninstall, "DisplayName"));
    EXPECT_EQ(TestWindowsDir() + "\\Untave.exe /" + dir + "\\inst",
              Read(HKEY_LOCAL_MACHINE, kUninstall, "UninstallString"));

    std::string nested = Dist(Script("Editeurs\\Tavelin", ""));
    r = TestPlay(nested, { ExpectBackdrop(), InstallTo(nested + "\\inst"), ExpectProgress(), Question(IDNO),
                           Closing(kSuccess) });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ("Editeurs\\Tavelin",
              Read(HKEY_LOCAL_MACHINE, std::string(kUninstall) + "\\Editeurs\\Tavelin", "DisplayName"));
}

TEST(Complete, ExistingGroupFolderAndUnsavableShortcut)
{
    std::string dir = Dist(Script("Tavelin",
        "[Groupe]\r\nMauvais|nom.lnk=Tavelin.exe\r\nTavelin.lnk=Tavelin.exe,Editeur\r\n"));
    std::string group = ShellFolder("Programs") + "\\Tavelin";
    ASSERT_TRUE(CreateDirectoryA(group.c_str(), NULL));
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"), ExpectProgress(),
                                     Question(IDNO), Closing(kSuccess) });
    ASSERT_TRUE(r.ok) << r.failure;
    DriverShortcut s;
    EXPECT_FALSE(TestExists(group + "\\Mauvais|nom.lnk"));
    ASSERT_TRUE(DriverReadShortcut(group + "\\Tavelin.lnk", &s));
    EXPECT_EQ("Editeur", s.description);
    /* the desktop shortcut went with the first entry, whose save failed */
    EXPECT_FALSE(TestExists(ShellFolder("Desktop") + "\\Tavelin.lnk"));
}

TEST(Complete, WithoutProgramsFolderNothingIsMade)
{
    std::string desktop = ShellFolder("Desktop");
    DeleteShellFolder("Programs");
    std::string dir = Dist(Script("Tavelin", "[Groupe]\r\nTavelin.lnk=Tavelin.exe\r\n"));
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"), ExpectProgress(),
                                     Question(IDNO), Closing(kSuccess) });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_FALSE(TestExists(desktop + "\\Tavelin.lnk"));
    EXPECT_EQ(dir + "\\inst\\Tavelin.exe",
              Read(HKEY_LOCAL_MACHINE,
                   "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tavelin.exe"));
}

TEST(Complete, GroupFolderThatCannotBeCreated)
{
    Write(HKEY_CURRENT_USER, kShellFolders, "");  /* keeps the key */
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &key));
    const char missing[] = "C:\\nulle\\part";
    RegSetValueExA(key, "Programs", 0, REG_SZ, (const BYTE *)missing, sizeof missing);
    RegCloseKey(key);

    std::string dir = Dist(Script("Tavelin", "[Groupe]\r\nTavelin.lnk=Tavelin.exe\r\n"));
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(dir + "\\inst"), ExpectProgress(),
                                     Expect("Ne peut cr", { Press(IDOK) }), Question(IDNO),
                                     Closing(kIncomplete) });
    ASSERT_TRUE(r.ok) << r.failure;
    const DriverWindow *box = nullptr;
    for (const DriverWindow &w : r.windows)
        if (w.messageBox && w.text.find("Ne peut cr") == 0)
            box = &w;
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
        std::string dir = Dist("[Installer]\r\nApplication=Tavelin\r\nTitre=Installation de Tavelin\r\n"
                               "Bitmap=images\\FOND.BMP\r\n[Fichiers]\r\n");
        TestWriteFile(dir + "\\images\\FOND.BMP", c.bytes);
        std::string shot = dir + "\\ecran.bmp";
        DriverStep directory = Expect(kTitle, { Shot(shot), Press(kCancel) }, "#32770");
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
        TestMakeDist(dir, std::string("[Installer]\r\nTitre=Installation de Tavelin\r\nBitmap=") +
                              c.name + "\r\n[Fichiers]\r\n");
        if (std::string(c.name) != "ABSENT.BMP")
            TestWriteFile(dir + "\\" + c.name, c.bytes);
        std::string shot = dir + "\\ecran.bmp";
        DriverResult r = TestPlay(dir, { Expect(c.text, { Press(IDOK) }), ExpectBackdrop(),
                                         Expect(kTitle, { Shot(shot), Press(kCancel) }, "#32770") });
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
    std::string dir = TestDir();
    TestMakeDist(dir, "[Installer]\r\nApplication=Tavelin\r\nTitre=Installation de Tavelin\r\n"
                      "Bitmap=FOND.BMP\r\n[Fichiers]\r\nProgramme=Tavelin.exe\r\n"
                      "[Groupe]\r\nTavelin.lnk=Tavelin.exe\r\n"
                      "[Enregistrement]\r\nSuffixes=txt\r\n",
                 kCountingProgram);
    TestWriteFile(dir + "\\Tavelin.exe", "MZ demonstration");
    TestWriteFile(dir + "\\FOND.BMP", Picture(40, 30));
    std::string whole = dir + "\\whole.txt", early = dir + "\\early.txt";
    std::string refused = dir + "\\refused.txt";

    /* Each run writes its counts where TAV_COUNTS says; the variable goes
       before any check can end the test, so no later test inherits it. */
    SetEnvironmentVariableA("TAV_COUNTS", whole.c_str());
    DriverResult done = TestPlay(dir, {
        ExpectBackdrop(), InstallTo(dir + "\\inst"), ExpectProgress(), Question(IDYES),
        ExpectRegistration({ Press(IDYES) }), Closing(kSuccess) }, "", kCountingProgram);
    SetEnvironmentVariableA("TAV_COUNTS", early.c_str());
    DriverResult cancelled = TestPlay(dir, { ExpectBackdrop(), ExpectDirectory({ Press(kCancel) }) },
                                      "", kCountingProgram);
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
}
