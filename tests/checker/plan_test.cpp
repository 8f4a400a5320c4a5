/* The sample distribution: silent, and its plan; plans of crafted scripts. */
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support.h"

namespace {

const std::string sample = TAV_CHECKER_SAMPLE;
const std::string program = "C:\\Program Files\\Tavelin";
const std::string group =
    "C:\\users\\root\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Tavelin";

long long SizeOf(const std::string &path)
{
    struct stat s;
    EXPECT_EQ(0, stat(path.c_str(), &s)) << path;
    return (long long)s.st_size;
}

TEST(CheckerSample, IsSilent)
{
    CheckResult r = RunChecker({sample + "/SETUP.INF"});
    EXPECT_EQ(0, r.code);
    EXPECT_EQ("", r.err);
    EXPECT_EQ("", r.out);
}

TEST(CheckerSample, PlanCopiesEveryFileWithItsSize)
{
    CheckResult r = RunChecker({"--plan", sample + "/SETUP.INF"});
    EXPECT_GT(2, r.code) << r.err;
    /* sorted by name */
    struct {
        std::string destination, source;
    } copies[] = {
        {program + "\\Dictionnaires\\Francais.dic", "FRANCAIS.DIC"},
        {program + "\\Exemples\\Bonjour.txt", "BONJOUR.TXT"},
        {program + "\\Licence.txt", "LICENCE.TXT"},
        {program + "\\Lisezmoi.txt", "Lisezmoi.txt"},
        {program + "\\Tavelin.exe", "Tavelin.exe"},
        {"C:\\windows\\TAVELIN.INI", "TAVELIN.INI"},
        {"C:\\windows\\Untave.exe", "Untave.exe"},
    };
    std::vector<std::string> expected;
    long long total = 0;
    for (const auto &c : copies) {
        long long size = SizeOf(sample + "/" + c.source);
        total += size;
        expected.push_back("  " + c.destination + "  " + std::to_string(size) + " bytes  copy of " +
                           c.source);
    }
    EXPECT_EQ(expected, PlanSection(r.out, "Files"));
    EXPECT_NE(std::string::npos, r.out.find("Installation directory: " + program + "\n"));
    EXPECT_NE(std::string::npos,
              r.out.find("Required size: " + std::to_string((total + 1023) / 1024) + " Kb\n"));
    std::vector<std::string> directories = {"  " + program, "  " + program + "\\Dictionnaires",
                                            "  " + program + "\\Exemples", "  " + group};
    EXPECT_EQ(directories, PlanSection(r.out, "Directories created"));
}

/* The plan's shortcuts and registry values follow from the script and from
   the files the plan itself installs: each shortcut leads to one of them,
   the desktop gets the group's first, the registry names the program it
   installs and every suffix goes to text files. */
TEST(CheckerSample, PlanShortcutsAndRegistryNameWhatItInstalls)
{
    CheckResult r = RunChecker({"--plan", "--install-dir", "E:\\Ed", "--programs", "P:",
                                "--desktop", "B:", sample + "/SETUP.INF"});
    ASSERT_GT(2, r.code) << r.err;
    std::vector<std::string> installed;
    for (const std::string &line : PlanSection(r.out, "Files"))
        installed.push_back(line.substr(2, line.find("  ", 2) - 2));
    auto isInstalled = [&](const std::string &path) {
        return std::find(installed.begin(), installed.end(), path) != installed.end();
    };
    std::vector<std::string> shortcuts = PlanSection(r.out, "Shortcuts");
    ASSERT_EQ(8u, shortcuts.size()) << r.out;
    std::vector<std::string> names;
    for (size_t i = 0; i < shortcuts.size(); i += 2) {
        names.push_back(shortcuts[i].substr(2));
        size_t at = shortcuts[i + 1].find("target ") + 7;
        std::string target = shortcuts[i + 1].substr(at, shortcuts[i + 1].find(';') - at);
        EXPECT_TRUE(isInstalled(target)) << shortcuts[i + 1];
    }
    EXPECT_EQ((std::vector<std::string>{"B:\\Tavelin.lnk", "P:\\Tavelin\\Licence.lnk",
                                        "P:\\Tavelin\\Lisez-moi.lnk", "P:\\Tavelin\\Tavelin.lnk"}),
              names);
    EXPECT_EQ(shortcuts[7], shortcuts[1]) << "the desktop's is the first entry's";
    EXPECT_NE(std::string::npos, shortcuts[7].find("\"\xC3\x89" "diteur de textes Tavelin\""));

    std::string exe = "E:\\Ed\\Tavelin.exe";
    ASSERT_TRUE(isInstalled(exe));
    std::vector<std::string> values = PlanSection(r.out, "Registry values written");
    for (const char *key : {"App Paths\\Tavelin.exe  ", "open\\command  ", "print\\command  "}) {
        auto line = std::find_if(values.begin(), values.end(), [&](const std::string &v) {
            return v.find(key) != std::string::npos;
        });
        ASSERT_NE(values.end(), line) << key << " in " << r.out;
        EXPECT_NE(std::string::npos, line->substr(line->find(" = ")).find(exe)) << *line;
    }
    for (const char *suffix : {"txt", "ini", "log"})
        EXPECT_EQ(1, std::count(values.begin(), values.end(),
                                std::string("  HKEY_CLASSES_ROOT\\.") + suffix +
                                    "  (default) = txtfile"))
            << suffix;
}

TEST(CheckerPlan, FollowsTheFolders)
{
    CheckResult r = RunChecker({"--plan", "--program-files", "D:\\Programmes", "--windows-dir",
                                "C:\\", "--programs", "P:", "--desktop", "B:",
                                sample + "/SETUP.INF"});
    std::string dir = "D:\\Programmes\\Tavelin";
    ASSERT_GE(PlanSection(r.out, "Files").size(), 7u) << r.out;
    ASSERT_GE(PlanSection(r.out, "Shortcuts").size(), 7u) << r.out;
    EXPECT_EQ(0u, PlanSection(r.out, "Files")[0].find("  C:\\TAVELIN.INI  "));
    EXPECT_EQ(0u, PlanSection(r.out, "Files")[6].find("  " + dir + "\\Tavelin.exe  "));
    EXPECT_EQ("  B:\\Tavelin.lnk", PlanSection(r.out, "Shortcuts")[0]);
    EXPECT_EQ("  P:\\Tavelin\\Licence.lnk", PlanSection(r.out, "Shortcuts")[2]);
    /* the uninstall command does not look whether the Windows directory ends with '\' */
    EXPECT_NE(std::string::npos, r.out.find("UninstallString = C:\\\\Untave.exe /" + dir + "\n"));

    /* a network path keeps its two backslashes */
    r = RunChecker({"--plan", "--current-dir", "\\\\srv\\share", "--install-dir", "T",
                    sample + "/SETUP.INF"});
    EXPECT_NE(std::string::npos, r.out.find("\n  \\\\srv\\share\\T\\Tavelin.exe  ")) << r.out;

    r = RunChecker({"--plan", "--install-dir", "E:\\\xC3\x89" "diteurs", sample + "/SETUP.INF"});
    std::vector<std::string> made = PlanSection(r.out, "Directories created");
    EXPECT_NE(made.end(), std::find(made.begin(), made.end(), "  E:\\\xC3\x89" "diteurs")) << r.out;
}

/* A 32-bit program on 64-bit Windows: Program Files (x86), the keys of
   HKEY_LOCAL_MACHINE\Software redirected to Wow6432Node but for App Paths
   and the classes, which are shared, and System32 redirected to SysWOW64. */
TEST(CheckerPlan, FollowsA64BitMachine)
{
    Distribution d;
    d.Write("Tavelin.exe", "MZ");
    d.Write("Untave.exe", "MZ");
    d.Write("AIDE.DLL", "MZ");
    std::string script = "[Installer]\r\nApplication=Tavelin\r\nTitre=T\r\n[Fichiers]\r\n"
                         "P=Tavelin.exe\r\nU=%Untave.exe\r\nS=%system32\\Aide.dll;AIDE.DLL\r\n"
                         "[Groupe]\r\nTavelin.lnk=Tavelin.exe\r\n[Enregistrement]\r\nSuffixes=txt\r\n";
    CheckResult r = d.Check(script, {"--plan", "--wow64"});
    EXPECT_EQ(0, r.code) << r.err;
    const std::string dir = "C:\\Program Files (x86)\\Tavelin";
    EXPECT_NE(std::string::npos, r.out.find("Installation directory: " + dir + "\n")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("\n  C:\\windows\\SysWOW64\\Aide.dll  2 bytes")) << r.out;
    std::vector<std::string> values = PlanSection(r.out, "Registry values written");
    const char *const expected[] = {
        "  HKEY_CLASSES_ROOT\\.txt  (default) = txtfile",
        "  HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"
        "Tavelin.exe  (default) = C:\\Program Files (x86)\\Tavelin\\Tavelin.exe",
        "  HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\"
        "Uninstall\\Tavelin  DisplayName = Tavelin",
    };
    for (const char *line : expected)
        EXPECT_NE(values.end(), std::find(values.begin(), values.end(), line)) << line << "\n" << r.out;

    /* a program-files directory given wins; without --wow64, System32 */
    r = d.Check(script, {"--plan", "--wow64", "--program-files", "D:\\Logiciels"});
    EXPECT_NE(std::string::npos, r.out.find("Installation directory: D:\\Logiciels\\Tavelin\n"));
    r = d.Check(script, {"--plan"});
    EXPECT_NE(std::string::npos, r.out.find("\n  C:\\windows\\system32\\Aide.dll  2 bytes")) << r.out;
    EXPECT_EQ(std::string::npos, r.out.find("Wow6432Node")) << r.out;
}

/* The installation directory as the Directory dialog makes it of what is
   typed, and only the directories the program makes below it. */
TEST(CheckerPlan, DirectoriesTheProgramMakes)
{
    Distribution d;
    d.Write("UN.TXT", "1");
    std::string script = "[Installer]\r\nApplication=Essai\r\nTitre=Essai\r\n[Fichiers]\r\n"
                         "A=a\\un.txt;UN.TXT\r\nB=..\\haut\\deux.txt;UN.TXT\r\n"
                         "C=x:y\\trois.txt;UN.TXT\r\n";
    const struct {
        const char *typed, *installDir;
        std::vector<std::string> files, directories;
        int outside; /* "..\\haut" leaves the installation directory */
    } cases[] = {
        {"Prog", "D:\\Setup\\Prog",
         {"  D:\\Setup\\Prog\\a\\un.txt", "  D:\\Setup\\haut\\deux.txt"},
         {"  D:\\Setup\\Prog", "  D:\\Setup\\Prog\\a", "  D:\\Setup\\haut"}, 1},
        {"\\Prog", "D:\\Prog", {"  D:\\Prog\\a\\un.txt", "  D:\\haut\\deux.txt"},
         {"  D:\\Prog", "  D:\\Prog\\a", "  D:\\haut"}, 1},
        {"C:\\", "C:\\", {"  C:\\a\\un.txt", "  C:\\haut\\deux.txt"}, {"  C:\\a", "  C:\\haut"}, 0},
    };
    for (const auto &c : cases) {
        CheckResult r = d.Check(script, {"--plan", "--install-dir", c.typed, "--current-dir",
                                         "D:\\Setup"});
        EXPECT_NE(std::string::npos,
                  r.out.find(std::string("Installation directory: ") + c.installDir + "\n"))
            << r.out;
        std::vector<std::string> files;
        for (const std::string &line : PlanSection(r.out, "Files"))
            files.push_back(line.substr(0, line.find("  1 bytes")));
        EXPECT_EQ(c.files, files) << c.typed;
        EXPECT_EQ(c.directories, PlanSection(r.out, "Directories created")) << c.typed;
        EXPECT_EQ(c.outside, r.Count(6, "outside-installation", "haut")) << r.err;
        EXPECT_EQ(1, r.Count(7, "error", "':'")) << r.err;
    }
}

TEST(CheckerPlan, FollowsTheScript)
{
    Distribution d;
    d.Write("UN.TXT", std::string(1025, 'a'));
    d.Write("DEUX.TXT", "");
    CheckResult r = d.Check(
        "[Installer]\r\nApplication=Essai\r\nTitre=Essai\r\n[Fichiers]\r\n"
        "A=b\\c\\un.txt;UN.TXT\r\nB=a\\Deux.txt;DEUX.TXT\r\nC=B\\z.txt;deux.txt\r\n"
        "D=absent.txt\r\n[Groupe]\r\nZ.lnk=b\\c\\un.txt,Un,icone.ico, -3x\r\nA.lnk=a\r\n\r\n"
        "N.lnk=a\r\n[Enregistrement]\r\nSuffixes=\ttxt  TXT\tlog \r\n",
        {"--plan", "--install-dir", "C:\\E"});
    EXPECT_EQ(2, r.code) << "the missing source";
    EXPECT_NE(std::string::npos, r.out.find("Required size: 2 Kb\n"));
    EXPECT_EQ(3u, PlanSection(r.out, "Files").size()) << r.out;
    std::vector<std::string> directories = {"  C:\\E", "  C:\\E\\a", "  C:\\E\\b", "  C:\\E\\b\\c",
                                            "  " + group.substr(0, group.size() - 7) + "Essai"};
    EXPECT_EQ(directories, PlanSection(r.out, "Directories created"));
    std::string programs =
        "  C:\\users\\root\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
    std::vector<std::string> shortcuts = {
        programs + "\\Essai\\A.lnk",
        "      target C:\\E\\a; description \"\"; icon ,0",
        programs + "\\Essai\\Z.lnk",
        "      target C:\\E\\b\\c\\un.txt; description \"Un\"; icon icone.ico,-3",
        "  C:\\users\\root\\Desktop\\Z.lnk",
        "      target C:\\E\\b\\c\\un.txt; description \"Un\"; icon icone.ico,-3",
    };
    EXPECT_EQ(shortcuts, PlanSection(r.out, "Shortcuts"));
    std::vector<std::string> values = PlanSection(r.out, "Registry values written");
    ASSERT_EQ(7u, values.size()) << r.out;
    EXPECT_EQ("  HKEY_CLASSES_ROOT\\.log  (default) = txtfile", values[0]);
    EXPECT_EQ("  HKEY_CLASSES_ROOT\\.txt  (default) = txtfile", values[1]);
}

TEST(CheckerPlan, NoPlanWhenTheProgramStops)
{
    Distribution d;
    CheckResult r = d.Check("[Installer]\r\nApplication=A\r\nTitre=T\r\n", {"--plan"});
    EXPECT_EQ(2, r.code);
    EXPECT_EQ("", r.out);
}

TEST(CheckerPlan, WindowsDestinationTooLongIsAnError)
{
    Distribution d;
    std::string script = CorrectScript(d) + "Configuration=%Tavelin.exe\r\n";
    CheckResult r = d.Check(script, {"--plan", "--windows-dir", "C:\\" + std::string(250, 'w')});
    EXPECT_EQ(1, r.Count(9, "error", "longer than 259")) << r.err;
    EXPECT_EQ(1u, PlanSection(r.out, "Files").size());
}

} // namespace
