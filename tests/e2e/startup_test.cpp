/* Start-up of SETUP.EXE as the user sees it: the script's errors, the
   settings read into the backdrop's caption, the Directory question. */
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/support.h"

namespace {

/* Scripts are code page 1252 bytes. */
const char kValidScript[] =
    "[Installer]\r\n"
    "Application=TAVELIN.EXE\r\n"
    "Titre=Tavelin 3.2 \xE9" "dition fran\xE7" "aise\r\n"
    "R\xE9pertoire=C:\\Tavelin\r\n"
    "[Fichiers]\r\n";
const char kValidTitle[] = "Tavelin 3.2 édition française";

std::vector<std::string> Classes(const DriverResult &result)
{
    std::vector<std::string> classes;
    for (const DriverWindow &window : result.windows)
        classes.push_back(window.className);
    return classes;
}

/* The backdrop, then the Directory dialog answered with Annuler: the
   caption the backdrop showed. */
std::string BackdropCaption(const std::string &dir, const std::string &script)
{
    TestMakeDist(dir, script);
    DriverResult result = TestPlay(dir, { ExpectBackdrop(),
                                          ExpectDirectory({ Press(IDC_DIRECTORY_CANCEL) }) });
    EXPECT_TRUE(result.ok) << result.failure;
    EXPECT_EQ(result.exitCode, 0u);
    if (result.windows.empty())
        return "(no window)";
    return result.windows[0].caption;
}

/* A start-up error: one message box before any other window, then exit 1. */
void ExpectStartupError(const DriverResult &result, const std::string &text,
                        const std::string &icon)
{
    EXPECT_TRUE(result.ok) << result.failure;
    EXPECT_EQ(result.exitCode, 1u);
    ASSERT_EQ(result.windows.size(), 1u) << result.transcript;
    const DriverWindow &box = result.windows[0];
    EXPECT_TRUE(box.messageBox);
    EXPECT_EQ(box.className, "#32770");
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, "Installer");
    EXPECT_EQ(box.icon, icon);
    EXPECT_EQ(box.owner, "none");
    EXPECT_EQ(box.buttons, std::vector<int>{ IDOK });
    EXPECT_TRUE(box.othersVisible.empty()) << "a window besides the message box";
}

}  // namespace

TEST(StartupErrors, NoScriptBesideTheProgram)
{
    std::string dir = TestDir();
    TestMakeDist(dir, "");
    ASSERT_TRUE(DeleteFileA((dir + "\\SETUP.INF").c_str()));

    DriverResult result = TestPlay(dir, { Expect("Ne peut ouvrir", { Press(IDOK) }) });
    ExpectStartupError(result, "Ne peut ouvrir \"" + dir + "\\SETUP.INF\" !", "error");
    /* The transcript tells the same. */
    EXPECT_NE(result.transcript.find("icon error"), std::string::npos) << result.transcript;
    EXPECT_NE(result.transcript.find("exit code 1"), std::string::npos) << result.transcript;
}

TEST(StartupErrors, MissingSettingsSection)
{
    std::string dir = TestDir();
    TestMakeDist(dir, "[Fichiers]\r\nUn=UN.TXT\r\n[Groupe]\r\nTitre=Tavelin\r\n");
    DriverResult result = TestPlay(dir, { Expect("La section", { Press(IDOK) }) });
    ExpectStartupError(result, "La section [Installer] n'existe pas !", "information");
}

TEST(StartupErrors, MissingFilesSection)
{
    std::string dir = TestDir();
    TestMakeDist(dir, "[Installer]\r\nTitre=Tavelin\r\n[Fichier]\r\nUn=UN.TXT\r\n");
    DriverResult result = TestPlay(dir, { Expect("La section", { Press(IDOK) }) });
    ExpectStartupError(result, "La section [Fichiers] n'existe pas !", "information");
}

/* Each missing source file is named in a message box before the backdrop
   shows; a file that is there is measured without a word. */
TEST(StartupErrors, MissingSourceFilesAreReportedBeforeTheBackdrop)
{
    std::string dir = TestDir();
    TestMakeDist(dir, "[Installer]\r\nTitre=Tavelin\r\n[Fichiers]\r\n"
                      "Un=UN.TXT\r\n"
                      "Trois=TROIS.TXT\r\n"
                      "Deux=%DOC;DEUX.TXT\r\n");
    TestWriteFile(dir + "\\TROIS.TXT", std::string(3000, 'x'));

    DriverResult result = TestPlay(dir, { Expect("UN.TXT", { Press(IDOK) }),
                                          Expect("DEUX.TXT", { Press(IDOK) }),
                                          Expect("Tavelin", {}, "Installer"),
                                          Expect("Tavelin", { Press(IDC_DIRECTORY_CANCEL) },
                                                 "#32770") });
    EXPECT_TRUE(result.ok) << result.failure;
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_EQ(result.windows.size(), 4u);
    const char *names[] = { "UN.TXT", "DEUX.TXT" };
    for (int i = 0; i < 2; i++) {
        const DriverWindow &box = result.windows[i];
        EXPECT_TRUE(box.messageBox);
        EXPECT_EQ(box.text, "Ne peut ouvrir \"" + dir + "\\" + names[i] + "\" !");
        EXPECT_EQ(box.caption, "Installer");
        EXPECT_EQ(box.icon, "information");
        EXPECT_EQ(box.owner, "none");
        EXPECT_TRUE(box.othersVisible.empty()) << "shown after the backdrop";
    }
    EXPECT_FALSE(result.windows[2].messageBox);
    EXPECT_FALSE(result.windows[3].messageBox);
}

/* A valid script with an empty file section: no message, the backdrop over
   the whole screen under the script's title, then the Directory question. */
TEST(StartupBackdrop, ValidScriptShowsTheBackdropThenTheDirectoryQuestion)
{
    std::string dir = TestDir();
    TestMakeDist(dir, kValidScript);
    DriverResult result = TestPlay(dir, { Expect(kValidTitle, {}, "Installer"),
                                          Expect(kValidTitle, { Press(IDC_DIRECTORY_CANCEL) },
                                                 "#32770") });
    EXPECT_TRUE(result.ok) << result.failure;
    EXPECT_EQ(result.exitCode, 0u);
    ASSERT_EQ(Classes(result), (std::vector<std::string>{ "Installer", "#32770" }));

    const DriverWindow &backdrop = result.windows[0];
    EXPECT_EQ(backdrop.caption, kValidTitle);
    EXPECT_FALSE(backdrop.messageBox);
    EXPECT_EQ(backdrop.owner, "none");
    EXPECT_EQ(backdrop.rect.left, 0);
    EXPECT_EQ(backdrop.rect.top, 0);
    EXPECT_EQ(backdrop.rect.right, TestScreenWidth());
    EXPECT_EQ(backdrop.rect.bottom, TestScreenHeight());

    const DriverWindow &question = result.windows[1];
    EXPECT_FALSE(question.messageBox);
    EXPECT_EQ(question.caption, kValidTitle);
    EXPECT_EQ(question.owner, "backdrop");
    EXPECT_EQ(question.othersVisible, std::vector<std::string>{ kValidTitle });
    for (int id : { IDC_DIRECTORY_PROMPT, IDC_DIRECTORY_PATH, IDC_DIRECTORY_SIZE,
                    IDC_DIRECTORY_INSTALL, IDC_DIRECTORY_CANCEL })
        EXPECT_NE(question.Control(id), nullptr) << "no control " << id;
    ASSERT_NE(question.Control(IDC_DIRECTORY_PATH), nullptr);
    EXPECT_EQ(question.Control(IDC_DIRECTORY_PATH)->className, "Edit");
    ASSERT_NE(question.Control(IDC_DIRECTORY_INSTALL), nullptr);
    EXPECT_EQ(question.Control(IDC_DIRECTORY_INSTALL)->text, "&Installer");
    ASSERT_NE(question.Control(IDC_DIRECTORY_CANCEL), nullptr);
    EXPECT_EQ(question.Control(IDC_DIRECTORY_CANCEL)->text, "Annuler");
}

/* Annuler, Escape and the dialog's close box all end the program quietly
   with 0; so does the backdrop's own close box before the question. */
TEST(StartupBackdrop, EveryWayOutOfTheDirectoryQuestionEndsQuietly)
{
    std::string dir = TestDir();
    TestMakeDist(dir, kValidScript);
    struct {
        const char *name;
        DriverAction action;
    } ways[] = {
        { "Annuler", Press(IDC_DIRECTORY_CANCEL) },
        { "Escape", Escape() },
        { "close box", Close() },
    };
    for (const auto &way : ways) {
        SCOPED_TRACE(way.name);
        DriverResult result = TestPlay(dir, { Expect(kValidTitle, {}, "Installer"),
                                              Expect(kValidTitle, { way.action }, "#32770") });
        EXPECT_TRUE(result.ok) << result.failure;
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(result.windows.size(), 2u) << "a closing message";
    }

    /* The backdrop's close box as soon as the backdrop shows: the program
       ends before the question, or, when the question came first, the
       backdrop it disables takes no close and the question stays until
       Annuler. Which comes first is the system's to decide. */
    SCOPED_TRACE("the backdrop's close box");
    DriverResult result =
        TestPlay(dir, { Expect(kValidTitle, { Close() }, "Installer"),
                        Expect(kValidTitle, { Press(IDC_DIRECTORY_CANCEL) }, "#32770", true) });
    EXPECT_TRUE(result.ok) << result.failure;
    EXPECT_EQ(result.exitCode, 0u);
    for (const DriverWindow &window : result.windows)
        EXPECT_FALSE(window.messageBox) << "a closing message: " << window.text;
}

/* The settings as the backdrop's caption shows the title. */
TEST(StartupSettings, TitleAsRead)
{
    std::string dir = TestDir();
    const std::string files = "[Fichiers]\r\n";
    const std::string longTitle = std::string(100, 'A') + std::string(50, 'B');
    struct {
        const char *name;
        std::string settings;
        std::string caption;
    } cases[] = {
        { "keys in another order",
          "R\xE9pertoire=C:\\Ailleurs\r\nTitre=Dernier\r\nApplication=TAVELIN.EXE\r\n",
          "Dernier" },
        { "blanks around the sign", "Titre \t=  \tEspac\xE9\r\n", "Espacé" },
        { "cut to 127 characters", "Titre=" + longTitle + "\r\n", longTitle.substr(0, 127) },
        { "a repeated key: the last one wins", "Titre=Premier\r\nTitre=Second\r\n", "Second" },
        { "Titre2 counts as Titre", "Titre=Premier\r\nTitre2=Autre\r\n", "Autre" },
        { "indented, wrong case or comment: ignored",
          "Titre=Vrai\r\n  Titre=Indent\xE9\r\n\tTitre=Tab\r\ntitre=minuscule\r\nTITRE=Majuscule\r\n"
          ";Titre=Commentaire\r\n",
          "Vrai" },
        { "no title at all", "  Titre=Indent\xE9\r\ntitre=minuscule\r\n", "" },
        { "a line end without carriage return", "Titre=Unix\nR\xE9pertoire=C:\\X\n", "Unix" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BackdropCaption(dir, "[Installer]\r\n" + c.settings + files), c.caption);
    }
}

/* The script is the program's own name with ".INF". */
TEST(StartupScriptName, FollowsTheProgramName)
{
    std::string dir = TestDir();
    TestMakeDist(dir, "[Installer]\r\nTitre=Mauvais script\r\n[Fichiers]\r\n");
    TestWriteFile(dir + "\\INSTALLE.INF", "[Installer]\r\nTitre=Par son nom\r\n[Fichiers]\r\n");
    std::string setup = TestProgramPath();

    for (const char *name : { "INSTALLE.EXE", "INSTALLE" }) {
        SCOPED_TRACE(name);
        std::string program = dir + "\\" + name;
        ASSERT_TRUE(CopyFileA(setup.c_str(), program.c_str(), FALSE));
        DriverResult result =
            TestPlayProgram(program, dir, { ExpectBackdrop(),
                                            ExpectDirectory({ Press(IDC_DIRECTORY_CANCEL) }) });
        EXPECT_TRUE(result.ok) << result.failure;
        EXPECT_EQ(result.exitCode, 0u);
        ASSERT_FALSE(result.windows.empty());
        EXPECT_EQ(result.windows[0].caption, "Par son nom");
    }

    /* Without its own script the renamed program names the one it wanted. */
    ASSERT_TRUE(DeleteFileA((dir + "\\INSTALLE.INF").c_str()));
    DriverResult result = TestPlayProgram(dir + "\\INSTALLE.EXE", dir,
                                          { Expect("Ne peut ouvrir", { Press(IDOK) }) });
    ExpectStartupError(result, "Ne peut ouvrir \"" + dir + "\\INSTALLE.INF\" !", "error");
}

/* The script is looked for beside the program, not in the current directory. */
TEST(StartupScriptName, BesideTheProgramNotInTheCurrentDirectory)
{
    std::string dir = TestDir();
    TestMakeDist(dir + "\\dist", "[Installer]\r\nTitre=Beside\r\n[Fichiers]\r\n");
    TestWriteFile(dir + "\\SETUP.INF", "[Installer]\r\nTitre=Current\r\n[Fichiers]\r\n");
    DriverResult result =
        TestPlay(dir + "\\dist",
                 { ExpectBackdrop(), ExpectDirectory({ Press(IDC_DIRECTORY_CANCEL) }) }, dir);
    EXPECT_TRUE(result.ok) << result.failure;
    ASSERT_FALSE(result.windows.empty());
    EXPECT_EQ(result.windows[0].caption, "Beside");
}
