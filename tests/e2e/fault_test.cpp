/* Real faults met by the copy: a disk that fills up, too few inodes for the
   directories, read-only media, a destination held open by another program,
   a source that is a directory, and sources that change size after the size
   pass. Each ends with its message, the closing message for an incomplete
   installation, and nothing of ours still open. */
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/support.h"

namespace {

bool DriveReady(const char *root)
{
    return GetDriveTypeA(root) != DRIVE_NO_ROOT_DIR;
}

/* Everything on a small drive goes, so each test starts with it empty. */
void Empty(const std::string &dir)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = dir + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Empty(path);
            RemoveDirectoryA(path.c_str());
        } else {
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

/* Leaves exactly `left` bytes free on the drive. */
void FillDrive(const char *root, unsigned long long left)
{
    ULARGE_INTEGER freeBytes;
    ASSERT_TRUE(GetDiskFreeSpaceExA(root, &freeBytes, NULL, NULL));
    ASSERT_GE(freeBytes.QuadPart, left);
    TestWriteFile(std::string(root) + "remplissage", std::string(freeBytes.QuadPart - left, 'r'));
    ASSERT_TRUE(GetDiskFreeSpaceExA(root, &freeBytes, NULL, NULL));
    ASSERT_EQ(left, freeBytes.QuadPart);
}

}  // namespace

TEST(DiskFull, AtTheFirstChunkMidFileAndAtTheLastChunk)
{
    ASSERT_TRUE(DriveReady("F:\\")) << "the test bed mounts F: as root";
    const struct { const char *name; size_t size; unsigned long long left; size_t written; } cases[] = {
        { "first chunk", 40000, 0, 0 },
        { "mid-file", 40000, 3 * 4096, 12288 },
        { "last chunk", 16384 + 100, 16384, 16384 },
    };
    std::string dir =
        TestDist(TestScript("Gros=GROS.DAT\r\nApres=APRES.TXT\r\n"), { { "APRES.TXT", "" } });
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Empty("F:");
        ASSERT_TRUE(CreateDirectoryA("F:\\inst", NULL));
        std::string source = TestBytes(c.size, 7);
        TestWriteFile(dir + "\\GROS.DAT", source);
        FillDrive("F:\\", c.left);

        int held;
        DriverAction countHeld =
            CountHeldFiles({ "F:\\inst\\GROS.DAT", "F:\\inst\\APRES.TXT" }, &held);
        DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo("F:\\inst"), ExpectProgress(),
                                         Expect("Ne peut \xC3\xA9" "crire", { Press(IDOK) }),
                                         ExpectProgress(), Question(IDNO),
                                         Expect(kIncomplete, { countHeld, Press(IDOK) }) });
        EXPECT_EQ(0, held) << "destinations still open at the closing message";
        ASSERT_TRUE(r.ok) << r.failure;
        EXPECT_EQ(0u, r.exitCode);
        const DriverWindow *box = TestFindBox(r, "Ne peut ");
        ASSERT_NE(nullptr, box);
        EXPECT_EQ("Ne peut \xC3\xA9" "crire \"F:\\inst\\GROS.DAT\" !", box->text);
        EXPECT_EQ("error", box->icon);
        EXPECT_EQ(std::vector<int>{ IDOK }, box->buttons);
        std::string partial;
        ASSERT_TRUE(TestReadFile("F:\\inst\\GROS.DAT", &partial));
        EXPECT_LE(partial.size(), c.written + 4096);
        EXPECT_TRUE(source.compare(0, partial.size(), partial) == 0);
    }
}

TEST(DiskFull, NoRoomForTheDirectories)
{
    ASSERT_TRUE(DriveReady("G:\\")) << "the test bed mounts G: as root";
    Empty("G:");
    std::string dir =
        TestDist(TestScript("Profond=a\\b\\c\\d\\f.txt;F.TXT\r\n"), { { "F.TXT", "f" } });
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo("G:\\inst"), ExpectProgress(),
                                     Expect("Ne peut cr\xC3\xA9" "er", { Press(IDOK) }),
                                     Expect("Ne peut ouvrir", { Press(IDOK) }), ExpectProgress(),
                                     Question(IDNO), Closing(kIncomplete) });
    ASSERT_TRUE(r.ok) << r.failure;
    const DriverWindow *box = TestFindBox(r, "Ne peut cr");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(0u, box->text.find("Ne peut cr\xC3\xA9" "er \"G:\\inst\\a"));
    EXPECT_EQ("error", box->icon);
    EXPECT_EQ("Installer", box->caption);
}

TEST(Faults, ReadOnlyMedium)
{
    ASSERT_TRUE(DriveReady("R:\\")) << "the test bed mounts R: as root";
    std::string dir = TestDist(TestScript("F=F.TXT\r\n"), { { "F.TXT", "f" } });
    /* The medium refuses the directory as access denied, a refusal the
       directory step accepts silently; the open then fails. */
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo("R:\\inst"), ExpectProgress(),
                                     Expect("Ne peut ouvrir", { Press(IDOK) }), ExpectProgress(),
                                     Question(IDNO), Closing(kIncomplete) });
    ASSERT_TRUE(r.ok) << r.failure;
    const DriverWindow *open = TestFindBox(r, "Ne peut ouvrir");
    ASSERT_NE(nullptr, open);
    EXPECT_EQ("Ne peut ouvrir \"R:\\inst\\F.TXT\" !", open->text);
    EXPECT_EQ((std::vector<int>{ IDOK, IDCANCEL }), open->buttons);
}

TEST(Faults, DestinationHeldOpenByAnotherProgram)
{
    std::string dir = TestDist(TestScript("Pris=PRIS.TXT\r\nLibre=LIBRE.TXT\r\n"),
                               { { "PRIS.TXT", "nouveau" }, { "LIBRE.TXT", "libre" },
                                 { "inst\\PRIS.TXT", "ancien" } });
    std::string inst = dir + "\\inst";
    HANDLE holder = CreateFileA((inst + "\\PRIS.TXT").c_str(), GENERIC_READ, 0, NULL,
                                OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    DriverResult r = TestPlay(dir, { ExpectBackdrop(), InstallTo(inst), ExpectProgress(),
                                     Expect("Ne peut ouvrir", { Press(IDOK) }), ExpectProgress(),
                                     Question(IDNO), Closing(kIncomplete) });
    CloseHandle(holder);
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ("Ne peut ouvrir \"" + inst + "\\PRIS.TXT\" !", TestFindBox(r, "Ne peut ouvrir")->text);
    EXPECT_FILE(inst + "\\PRIS.TXT", "ancien");   /* the held file is left as it was */
    EXPECT_FILE(inst + "\\LIBRE.TXT", "libre");
}

TEST(Faults, SourceThatIsADirectory)
{
    std::string dir =
        TestDist(TestScript("Dossier=DOSSIER\r\nF=F.TXT\r\n"), { { "F.TXT", "f" } });
    std::string inst = dir + "\\inst";
    ASSERT_TRUE(CreateDirectoryA((dir + "\\DOSSIER").c_str(), NULL));
    DriverResult r = TestPlay(dir, { Expect("DOSSIER", { Press(IDOK) }), ExpectBackdrop(),
                                     InstallTo(inst), ExpectProgress(),
                                     Question(IDNO), Closing(kIncomplete) });
    ASSERT_TRUE(r.ok) << r.failure;
    EXPECT_EQ("Ne peut ouvrir \"" + dir + "\\DOSSIER\" !", r.windows[0].text);
    EXPECT_EQ("information", r.windows[0].icon);
    EXPECT_FILE(inst + "\\F.TXT", "f");
}

TEST(Faults, SourcesChangingSizeAfterTheSizePass)
{
    const struct { const char *name; size_t before, after; } cases[] = {
        { "shrinks", 40000, 10000 },
        { "grows", 10000, 40000 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::string dir = TestDir() + "\\" + c.name;
        std::string inst = dir + "\\inst";
        TestMakeDist(dir, TestScript("Change=CHANGE.DAT\r\n"),
                     { { "CHANGE.DAT", TestBytes(c.before, 1) } });
        std::string after = TestBytes(c.after, 2);
        /* The size pass has measured the file once the Directory dialog is up. */
        DriverAction change = Call([&] { TestWriteFile(dir + "\\CHANGE.DAT", after); });
        DriverStep directory = ExpectDirectory(
            { change, Type(IDC_DIRECTORY_PATH, inst), Press(IDC_DIRECTORY_INSTALL) });
        DriverResult r = TestPlay(dir, { ExpectBackdrop(), directory, ExpectProgress(),
                                         Question(IDNO), Closing(kSuccess) });
        ASSERT_TRUE(r.ok) << r.failure;
        /* The dialog told the size the file had at the size pass. */
        const DriverControl *size = r.windows[1].Control(IDC_DIRECTORY_SIZE);
        ASSERT_NE(nullptr, size);
        EXPECT_EQ("Cette installation requiert " + std::to_string((c.before + 1023) / 1024) + " Kb.",
                  size->text);
        EXPECT_FILE(inst + "\\CHANGE.DAT", after);   /* the file as it is at the copy */
    }
}
