/* Every problem family on crafted scripts: the line, the kind (an error, or
   the warning's name) and the exit code; the Bitmap picture, which the
   program would refuse or could not read. */
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "support.h"
#include "tools/checker/cp1252.h"
#include "tests/common/bmp.h"

namespace {

/* The lines, each ended by CR LF. */
std::string Lines(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &l : lines)
        text += l + "\r\n";
    return text;
}

const std::string settings = "[Installer]\r\nApplication=Tavelin\r\nTitre=Installation\r\n";
const std::string files = "[Fichiers]\r\nProgramme=Tavelin.exe\r\nDesinstallation=%Untave.exe\r\n";

struct ProblemCase {
    const char *what;
    std::string script;
    int line;
    const char *kind; /* "error", or the warning's name */
    const char *text; /* a part of the message */
};

/* Checks each case in a distribution holding Tavelin.exe, Untave.exe and
   Lisezmoi.txt: the problem is reported once, at its line, and decides the
   exit code; a warning goes with -Wno- and its name. */
void CheckCases(const std::vector<ProblemCase> &cases)
{
    for (const ProblemCase &c : cases) {
        SCOPED_TRACE(c.what);
        Distribution d;
        d.Write("Tavelin.exe", "MZ");
        d.Write("Untave.exe", "MZ");
        d.Write("Lisezmoi.txt", "texte");
        CheckResult r = d.Check(c.script);
        EXPECT_EQ(1, r.Count(c.line, c.kind, c.text)) << r.err;
        EXPECT_EQ(std::string(c.kind) == "error" ? 2 : 1, r.code) << r.err;
        if (std::string(c.kind) == "error")
            continue;
        CheckResult silenced = d.Check(c.script, {std::string("-Wno-") + c.kind});
        EXPECT_NE(64, silenced.code) << silenced.err;
        EXPECT_EQ(0, silenced.Count(c.line, c.kind)) << silenced.err;
    }
}

/* One line put among correct ones: the problem it gives there. */
struct LineCase {
    const char *what;
    std::string line; /* without its line end */
    const char *kind;
    const char *text;
};

/* CheckCases on scripts of before, the line, after; the line is number at. */
void CheckLines(const std::string &before, int at, const std::vector<LineCase> &cases,
                const std::string &after = "")
{
    std::vector<ProblemCase> problems;
    for (const LineCase &c : cases)
        problems.push_back({c.what, before + c.line + "\r\n" + after, at, c.kind, c.text});
    CheckCases(problems);
}

/* Also with a mark before a comment, or zero bytes after the last line:
   nothing the program reads changes. */
TEST(CheckerProblems, CorrectScriptIsSilent)
{
    Distribution d;
    std::string correct = CorrectScript(d);
    for (const std::string &script :
         {correct, "\xEF\xBB\xBF; Tavelin\r\n" + correct, correct + std::string(4, '\0')}) {
        CheckResult r = d.Check(script);
        EXPECT_EQ(0, r.code) << r.err;
        EXPECT_EQ("", r.err);
        EXPECT_EQ("", r.out);
    }
}

/* Names the program and Windows resolve to what is installed give no
   warning: trailing blanks and dots, '/' for '\', capitals, "..". */
TEST(CheckerProblems, NamesAreResolvedAsWindowsResolvesThem)
{
    Distribution d;
    d.Write("Tavelin.exe", "MZ");
    d.Write("Untave.exe", "MZ");
    d.Write("Aide.txt", "aide");
    CheckResult r = d.Check(settings + Lines({"[Fichiers]", "Programme=Tavelin.exe ",
                                              "U=%windows\\..\\UNTAVE.EXE;untave.exe",
                                              "S=%SYSTEM32\\Aide.txt;aide.txt",
                                              "Aide=bin\\Aide.txt;aide.txt.", "Notes=bin/a\\..\\n.txt;Aide.txt",
                                              "[Groupe]", "Tavelin.lnk=Tavelin.exe,T,%TAVELIN.EXE. ,0",
                                              "A.lnk=bin/aide.txt", "N.lnk=BIN\\N.TXT",
                                              "I.lnk=Tavelin.exe,I,C:\\Ic\\50%.ico",
                                              "B.lnk=bin\\"}));
    EXPECT_EQ(0, r.code) << r.err;
}

TEST(CheckerProblems, Encoding)
{
    std::string correct = settings + files;
    std::string crOnly = correct;
    for (size_t at; (at = crOnly.find("\r\n")) != std::string::npos;)
        crOnly.erase(at + 1, 1);
    CheckCases({
        {"byte-order mark", "\xEF\xBB\xBF" + correct, 1, "error", "byte-order mark"},
        {"CR alone", crOnly, 1, "error", "CR alone"},
        {"zero byte", settings + std::string("Bitmap=\0x\r\n", 11) + files, 4, "error",
         "zero byte"},
        {"lone CR", settings + "; commentaire\r\r\n" + files, 4, "lone-cr", "CR not followed"},
        {"0x81", settings + "; \x81\r\n" + files, 4, "undefined-byte", "0x81"},
        {"0x8D", settings + files + "; \x8D\r\n", 7, "undefined-byte", "0x8D"},
        {"0x8F", settings + files + "\x8F=Lisezmoi.txt\r\n", 7, "undefined-byte", "0x8F"},
        {"0x90", settings + "Titre=\x90\r\n" + files, 4, "undefined-byte", "0x90"},
        {"0x9D", settings + "Titre=\x9D\r\n" + files, 4, "undefined-byte", "0x9D"},
        /* a line in UTF-8 among lines of code page 1252 ("; \xE9t\xE9") */
        {"UTF-8 key", settings + "R\xC3\xA9pertoire=C:\\T\r\n" + files + "; \xE9t\xE9\r\n", 4,
         "unknown-key", "written in UTF-8"},
        {"UTF-8 text", settings + "Titre=\xC3\xA9" "diteur\r\n" + files + "; \xE9t\xE9\r\n", 4,
         "utf8", "\xC3\x83\xC2\xA9" "diteur"},
        /* the whole script in UTF-8: one error, what follows from it as notes */
        {"saved in UTF-8", settings + "Titre=\xC3\xA9" "diteur\r\n" + files, 1, "error",
         "the 2 bytes of \"\xC3\xA9\" read \"\xC3\x83\xC2\xA9\""},
        {"saved in UTF-8, a character code page 1252 lacks",
         settings + "Titre=\xC3\xA9" "diteur \xE2\x86\x92\r\n" + files, 1, "error",
         "writing otherwise the \"\xE2\x86\x92\" of line 4"},
    });
}

/* A distribution as a packager new to the program writes one: 33 files,
   help in nested folders, templates in a folder with blanks and accents,
   accented shortcuts and suffixes. In code page 1252 nothing is said of it;
   saved in UTF-8, the first thing said is how to save it, and what follows
   from its encoding is grouped under that, far fewer lines than files. */
TEST(CheckerProblems, ScriptSavedInUtf8IsOneErrorFirst)
{
    const std::string product = "Tavelin 3 \xC3\x89" "dition Pro";
    const std::string templates = "Mod\xC3\xA8" "les de documents";
    std::vector<std::string> files = {
        "Tavelin.exe", "Untave.exe", "TAVELIN.INI", "Lisez-moi.txt", "Licence.txt",
        "Fran\xC3\xA7" "ais.dic", "Espa\xC3\xB1" "ol.dic", "Aide/Index.txt",
        "Aide/Guide/D\xC3\xA9" "marrage.txt", "Aide/Guide/Menus.txt",
        "Aide/R\xC3\xA9" "f\xC3\xA9" "rence/Commandes.txt", "Aide/R\xC3\xA9" "f\xC3\xA9" "rence/Macros.txt",
        "Aide/R\xC3\xA9" "f\xC3\xA9" "rence/Raccourcis clavier.txt"};
    for (int i = 1; i <= 20; i++)
        files.push_back(templates + "/Facture " + std::to_string(i) + ".tvm");
    ASSERT_EQ(33u, files.size());
    std::string script = "[Installer]\nApplication=" + product + "\nTitre=Installation de " +
                         product + "\nR\xC3\xA9" "pertoire=C:\\Tavelin 3\n[Fichiers]\n"
                         "D\xC3\xA9" "sinstallation=%Untave.exe\nConfiguration=%TAVELIN.INI\n";
    Distribution d;
    std::set<std::string> folders;
    for (const std::string &name : files) {
        for (size_t slash = name.find('/'); slash != std::string::npos;
             slash = name.find('/', slash + 1))
            if (folders.insert(name.substr(0, slash)).second)
                d.MakeDirectory(name.substr(0, slash));
        d.Write(name, "contenu de " + name);
        std::string windows = name;
        std::replace(windows.begin(), windows.end(), '/', '\\');
        if (name != "Untave.exe" && name != "TAVELIN.INI")
            script += "Fichier=" + windows + "\n";
    }
    script += "[Groupe]\n" + product + ".lnk=Tavelin.exe,\xC3\x89" "diteur,%Tavelin.exe,0\n" +
              templates + ".lnk=" + templates + "\nAide.lnk=Aide\\Index.txt\n"
              "[Enregistrement]\nSuffixes=txt ini log\n";

    std::string cp1252;
    ASSERT_TRUE(Utf8ToCp1252(script, &cp1252));
    /* Saved in code page 1252, its many accented names are one warning. */
    CheckResult clean = d.Check(cp1252);
    EXPECT_EQ(1, clean.code) << clean.err;
    ASSERT_EQ(1u, clean.reported.size()) << clean.err;
    EXPECT_EQ(1, clean.Count(2, "code-page", "30 names of the installation hold letters outside "
                                             "ASCII: \"Tavelin 3 \xC3\x89" "dition Pro\" (line 2)"))
        << clean.err;
    EXPECT_EQ(0, d.Check(cp1252, {"-Wno-code-page"}).code);

    CheckResult r = d.Check(script);
    EXPECT_EQ(2, r.code);
    EXPECT_EQ(0u, r.err.find(d.Script() + ":1:1: error: the script is saved in UTF-8")) << r.err;
    EXPECT_EQ(1, r.Count(1, "error", "save the script in code page 1252")) << r.err;
    EXPECT_EQ(1u, r.reported.size()) << "the others are notes under it: " << r.err;
    EXPECT_LT(std::count(r.err.begin(), r.err.end(), '\n'), 10) << r.err;
    /* what follows from it: texts, the key, the sources, the shortcut to the templates */
    for (const char *note : {": note: text looks UTF-8 encoded", ": note: key \"R\xC3\x83\xC2\xA9",
                             "copies nothing for this line and ends incomplete; likewise on 25 more "
                             "lines", ": note: target \"Mod\xC3\x83\xC2\xA8"})
        EXPECT_NE(std::string::npos, r.err.find(note)) << note << "\n" << r.err;
    CheckResult silenced = d.Check(script, {"-Wno-utf8"});
    EXPECT_EQ(std::string::npos, silenced.err.find("[-Wutf8]")) << silenced.err;
    EXPECT_NE(std::string::npos, silenced.err.find("[missing-source]")) << silenced.err;
}

TEST(CheckerProblems, Sections)
{
    CheckCases({
        {"no settings", files, 1, "error", "[Installer]"},
        {"no files", settings, 1, "error", "[Fichiers]"},
        {"repeated", settings + files + "[Fichiers]\r\nX=Absent.txt\r\n", 7, "repeated-section",
         "only the first, at line 4"},
        {"by prefix", settings + "[Fichiers2]\r\nX=Tavelin.exe\r\n", 4, "section-prefix",
         "read as [Fichiers]"},
        {"capitals", settings + files + "[groupe]\r\n", 7, "section-case", "case-sensitive"},
        {"capitals: no shortcut", settings + files + "[groupe]\r\nT.lnk=Tavelin.exe\r\n", 7,
         "closing-message", "not read as [Groupe]: no Start-menu folder and no shortcut"},
        {"unknown", settings + files + "[Divers]\r\n", 7, "unknown-section", "[Divers] is not read"},
        {"indented", settings + "  [Groupe]\r\n" + files, 4, "indented-header", "indented header"},
    });
}

TEST(CheckerProblems, Settings)
{
    CheckLines(settings, 4, {
        {"indented", "  Bitmap=", "indented-key", "first column"},
        {"capitals", "bitmap=", "key-case", "case-sensitive"},
        {"unknown", "Auteur=Moi", "unknown-key", "unknown key \"Auteur\""},
        {"empty key", "=Moi", "empty-key", "sets nothing"},
        {"prefix", "BitmapFond=", "key-prefix", "\"BitmapFond\" is read as \"Bitmap\""},
        {"no '='", "Bitmap", "no-equals", "empty value"},
        {"again", "Titre=Autre", "repeated-key", "replaces line 3"},
        {"long", "Titre=" + std::string(130, 'x'), "cut", "cut to 127"},
        {"no accent", "Repertoire=C:\\T", "unknown-key", "0xE9"},
    }, files);
    CheckCases({
        {"no application", "[Installer]\r\nTitre=T\r\n" + files, 1, "error", "no \"Application\""},
        {"application read as a key", "[Installer]\r\nApplication: Tavelin\r\nTitre=T\r\n" + files,
         2, "error", "empty \"Application\""},
        {"empty title", "[Installer]\r\nApplication=Tavelin\r\nTitre=\r\n" + files, 3,
         "no-title", "empty"},
        {"no title", "[Installer]\r\nApplication=T\r\n" + files, 1, "no-title", "caption"},
    });
    CheckLines(settings + files + "[Enregistrement]\r\n", 8, {
        {"suffixes capitals", "suffixes=txt", "key-case", "case-sensitive"},
        {"suffixes prefix", "SuffixesTexte=txt", "key-prefix", "read as \"Suffixes\""},
        {"suffixes indented", " Suffixes=txt", "indented-key", "first column"},
        {"suffix with dot", "Suffixes=.txt", "suffix-dot", "\"..txt\""},
        {"suffixes with commas", "Suffixes=txt,ini log", "suffix-separator", "\".txt,ini\""},
        {"suffix with '\\'", "Suffixes=txt\\ini", "suffix-separator", "below the key"},
    });
}

/* What the name of the product does to the directory and the group folder
   it names. */
TEST(CheckerProblems, Application)
{
    std::string group = "[Groupe]\r\nT.lnk=Tavelin.exe\r\n";
    auto with = [&](const std::string &name) {
        return "[Installer]\r\nApplication=" + name + "\r\nTitre=T\r\n" + files + group;
    };
    CheckCases({
        {"slash", with("Tavelin/Pro"), 2, "error", "installation directory"},
        {"colon", with("Tavelin: l'\xE9" "diteur"), 2, "error", "installation directory"},
        {"device", with("CON"), 2, "error", "installation directory"},
        {"backslash", with("Editeurs\\Tavelin"), 2, "error", "only its last level"},
        {"dot", with("."), 2, "error", "names no folder of its own"},
        {"final blank", with("Tavelin "), 8, "error", "no shortcut is made in the group, but the desktop one is"},
        {"long", with(std::string(111, 'a')), 2, "cut-folder", "installation directory is 128"},
    });
    /* the installation directory typed: only the group folder is the name's */
    Distribution d;
    d.Write("Tavelin.exe", "MZ");
    d.Write("Untave.exe", "MZ");
    CheckResult r = d.Check(with("Tavelin|Pro"), {"--install-dir", "C:\\Tavelin"});
    EXPECT_EQ(1, r.Count(2, "error", "group folder")) << r.err;
    EXPECT_EQ(0, r.Count(2, "error", "installation directory")) << r.err;
    /* the lines after a directory that cannot be made are still checked */
    r = d.Check("[Installer]\r\nApplication=Tav|elin\r\nTitre=T\r\n" + files +
                "L=..\\..\\L.txt;Tavelin.exe\r\n");
    EXPECT_EQ(1, r.Count(2, "error", "as if it were \"C:\\Program Files\\Tav_elin\"")) << r.err;
    EXPECT_EQ(1, r.Count(7, "outside-installation", "C:\\L.txt")) << r.err;
}

TEST(CheckerProblems, Files)
{
    CheckLines(settings + files, 7, {
        {"missing", "Licence=Licence.txt;LICENCE.TXT", "error", "\"LICENCE.TXT\" not found"},
        {"source on a drive", "P=T.exe;D:\\Tavelin.exe", "error", "names a drive"},
        {"source on a drive, no '\\'", "L=Licence.txt;C:LISEZMOI.TXT", "error", "names a drive"},
        {"source with a final '/'", "L=Licence.txt;Lisezmoi.txt/", "error", "ends with a separator"},
        {"no '='", "Lisezmoi.txt", "error", "without '='"},
        {"blanks", "   ", "error", "line of blanks"},
        {"no source", "Licence=Licence.txt;", "error", "no source file"},
        {"empty destination", "Licence=;Lisezmoi.txt", "error", "empty destination"},
        {"directory named", "Licence=doc\\;Lisezmoi.txt", "error", "ends with a separator"},
        {"drive", "Licence=D:\\Lisezmoi.txt;Lisezmoi.txt", "error", "names a drive"},
        {"refused character", "L=Lisez|moi.txt;Lisezmoi.txt", "error", "'|'"},
        {"device", "L=doc\\nul.txt;Lisezmoi.txt", "error", "device"},
        {"'/' to no directory", "L=doc/L.txt;Lisezmoi.txt", "error", "\\doc\" does not exist"},
        {"directory made without its blank", "L=doc \\L.txt;Lisezmoi.txt", "error",
         "without the blanks"},
        {"file where a directory is", "L=Tavelin.exe\\L.txt;Lisezmoi.txt", "error",
         "is no directory"},
        {"Windows directory too deep", "Config=%Tavelin\\L.txt;Lisezmoi.txt", "error",
         "\"C:\\windows\\Tavelin\" is none of those"},
        {"twice", "Copie=tavelin.exe", "duplicate-destination", "already written by line 5"},
        {"climbs out", "L=..\\..\\L.txt;Lisezmoi.txt", "outside-installation", "C:\\L.txt"},
        {"rooted", "L=\\L.txt;Lisezmoi.txt", "rooted-destination", "not at the root"},
        {"two ';'", "L=a;b;Lisezmoi.txt", "semicolons", "\"a;b\""},
        {"long key", std::string(130, 'x') + "=Lisezmoi.txt", "cut", "key longer"},
        {"long value", "Long=Lisezmoi.txt" + std::string(120, ' '), "cut", "value longer"},
    });
    CheckLines(settings + files + "L=doc\\L.txt;Lisezmoi.txt\r\n", 8, {
        {"directory where a file goes", "D=doc;Lisezmoi.txt", "error", "made for line 7"},
    });
    CheckCases({
        {"no Tavelin.exe", settings + "[Fichiers]\r\nU=%Untave.exe\r\n", 4, "error",
         "App Paths names \"C:\\Program Files\\Tavelin\\Tavelin.exe\""},
        {"Tavelin.exe not at the top", settings + "[Fichiers]\r\nP=bin\\Tavelin.exe;Tavelin.exe\r\n"
         "U=%Untave.exe\r\n", 4, "error", "[no-program]"},
        {"no Untave.exe", settings + "[Fichiers]\r\nP=Tavelin.exe\r\n", 4, "no-uninstaller",
         "\"C:\\windows\\Untave.exe /C:\\Program Files\\Tavelin\""},
        {"Untave.exe not in Windows", settings + "[Fichiers]\r\nP=Tavelin.exe\r\nU=Untave.exe\r\n",
         4, "no-uninstaller", "Windows directory"},
    });
}

/* Files past 2 GiB are measured and copied whole; only a total past what
   the Directory dialog's figure holds is told. */
TEST(CheckerProblems, SizesPastTwoTerabytes)
{
    Distribution d;
    d.Write("Tavelin.exe", "MZ");
    d.Write("Untave.exe", "MZ");
    d.Sparse("GRAND.DAT", 3LL << 30);
    CheckResult big = d.Check(settings + Lines({"[Fichiers]", "A=Tavelin.exe", "G=GRAND.DAT",
                                                "U=%Untave.exe", "[Groupe]", "Tavelin.lnk=Tavelin.exe"}));
    EXPECT_EQ(0u, big.reported.size()) << big.err;
    d.Sparse("ENORME.DAT", 3LL << 40);
    CheckResult r = d.Check(settings + Lines({"[Fichiers]", "A=Tavelin.exe", "G=GRAND.DAT",
                                              "E=ENORME.DAT", "U=%Untave.exe", "[Groupe]",
                                              "Tavelin.lnk=Tavelin.exe"}));
    EXPECT_EQ(1, r.Count(4, "size", "more than 2 TiB")) << r.err;
    EXPECT_EQ(1u, r.reported.size()) << r.err;
}

TEST(CheckerProblems, SourcesAreFoundAsWindowsFindsThem)
{
    Distribution d;
    d.Write("Tavelin.exe", "MZ");
    d.Write("Untave.exe", "MZ");
    d.MakeDirectory("docs");
    d.Write("docs/lisez.txt", "texte");
    d.Write("\xC3\xA9t\xC3\xA9.txt", "UTF-8 name");
    d.MakeDirectory("Exemples");
    CheckResult r = d.Check(settings + Lines({"[Fichiers]", "A=TAVELIN.EXE", "B=Docs\\LISEZ.txt",
                                              "C=b.txt;docs/./lisez.txt", "D=\xC9T\xC9.TXT",
                                              "E=Exemples", "U=%Untave.exe",
                                              "F=f.txt;\xC3\xA9t\xC3\xA9.txt", "[Groupe]",
                                              "Tavelin.lnk=Tavelin.exe"}));
    EXPECT_EQ(1, r.Count(9, "error", "is a directory")) << r.err;
    EXPECT_EQ(1, r.Count(11, "error", "\"\xC3\x83\xC2\xA9t\xC3\x83\xC2\xA9.txt\" not found")) << r.err;
    EXPECT_EQ(1, r.Count(11, "utf8")) << r.err;
    EXPECT_EQ(1, r.Count(8, "code-page", "1 name of")) << r.err;
    EXPECT_EQ(4u, r.reported.size()) << r.err;

    /* a ".." goes above the setup directory, as on a disc of several products */
    d.MakeDirectory("produit");
    d.MakeDirectory("commun");
    d.Write("commun/Partage.dll", "MZ");
    d.Write("produit/SETUP.INF", settings + files + "Partage=Partage.dll;..\\Commun\\partage.dll\r\n"
                                 "[Groupe]\r\nTavelin.lnk=Tavelin.exe\r\n");
    d.Write("produit/Tavelin.exe", "MZ");
    d.Write("produit/Untave.exe", "MZ");
    r = RunChecker({"--plan", d.Path("produit/SETUP.INF")});
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("copy of ..\\commun\\Partage.dll\n")) << r.out;
}

TEST(CheckerProblems, Group)
{
    std::string group = "[Groupe]\r\nTavelin.lnk=Tavelin.exe,Tavelin,%Tavelin.exe,0\r\n";
    std::string after = "Lisez-moi.lnk=Lisezmoi.txt,Lisez-moi\r\n";
    CheckCases({
        {"after empty line", settings + files + group + "\r\n" + after, 10, "shortcut-never-made",
         "the empty line 9"},
        {"after comment", settings + files + group + "; fin\r\n" + after, 10,
         "shortcut-never-made", "the comment at line 9"},
        {"after '='", settings + files + group + "=\r\n" + after, 10, "shortcut-never-made",
         "only '=' 9"},
        /* no shortcut at all, while the closing message tells of an icon and a folder */
        {"no group", settings + files, 1, "closing-message",
         "no section [Groupe]: no Start-menu folder and no shortcut are made, while the closing "
         "message tells the user \"Installation normalement termin\xC3\xA9" "e. Une ic\xC3\xB4ne "
         "\"Tavelin\" a \xC3\xA9t\xC3\xA9 cr\xC3\xA9\xC3\xA9" "e sur votre bureau ainsi qu'un "
         "dossier dans votre menu \"D\xC3\xA9marrer\\programmes\".\""},
        {"comment first", settings + files + "[Groupe]\r\n; raccourcis\r\n" + after, 8,
         "closing-message", "ends at its first line, the comment at line 8"},
        {"empty line first", settings + files + "[Groupe]\r\n\r\n" + after, 8,
         "closing-message", "the empty line 8"},
        {"no entry", settings + files + "[Groupe]\r\n", 7, "closing-message", "has no entry"},
        {"indented header", settings + " [Groupe]\r\n" + files, 4, "closing-message",
         "not read as [Groupe]"},
    });
    CheckLines(settings + files + group, 9, {
        {"no '='", "Lisez-moi.lnk", "no-equals", "without '='"},
        {"blanks", "  ", "no-equals", "line of blanks"},
        {"no .lnk", "Lisez-moi=Tavelin.exe", "lnk", ".lnk"},
        {"target", "L.lnk=Licence.txt", "not-installed", "\"Licence.txt\" is not installed"},
        {"icon", "L.lnk=Tavelin.exe,L,%Icone.ico", "not-installed",
         "\"%Icone.ico\" is not installed"},
        {"'%' not after its comma", "L.lnk=Tavelin.exe,L, %Tavelin.exe", "icon-percent",
         "used as written"},
        {"index", "L.lnk=Tavelin.exe,L,,premier", "icon-index", "takes 0"},
        {"index and more", "L.lnk=Tavelin.exe,L,,3x", "icon-index", "takes 3"},
        {"twice", "TAVELIN.LNK=Tavelin.exe", "duplicate-shortcut", "line 8"},
        {"climbs out", "..\\L.lnk=Tavelin.exe", "outside-group", "Programs\\L.lnk\""},
        {"device", "Aux.lnk=Tavelin.exe", "error", "device"},
        {"directory", "doc\\L.lnk=Tavelin.exe", "error", "cannot be saved"},
    });
    CheckLines(settings + files + "[Groupe]\r\n", 8, {
        {"no name", "=Tavelin.exe", "error", "nor the desktop one"},
        {"first climbs out", "..\\Tavelin.lnk=Tavelin.exe", "error", "C:\\users\\root\\Tavelin.lnk"},
        {"first of blanks", "  ", "no-equals", "no shortcut goes on the desktop"},
        {"desktop name", "Editeur.lnk=Tavelin.exe", "desktop-name",
         "named \"Editeur\", but the closing message says that an icon \"Tavelin\""},
        {"refused character", "Mau|vais.lnk=Tavelin.exe", "error", "nor the desktop one"},
    });
}

TEST(CheckerProblems, EveryNeverMadeShortcutIsReported)
{
    Distribution d;
    d.Write("Tavelin.exe", "MZ");
    d.Write("Untave.exe", "MZ");
    CheckResult r = d.Check(settings + files + Lines({"[Groupe]", "; raccourcis",
                                                      "A.lnk=Tavelin.exe", "B.lnk=Tavelin.exe", "",
                                                      "C.lnk=Tavelin.exe"}));
    for (int line : {9, 10, 12})
        EXPECT_EQ(1, r.Count(line, "shortcut-never-made", "the comment at line 8")) << line << r.err;
    EXPECT_EQ(1, r.Count(8, "closing-message")) << r.err;
    EXPECT_EQ(4u, r.reported.size()) << r.err;
    EXPECT_EQ(1, r.code);
}

/* A picture for the Bitmap setting: biSizeImage 0 unless given, pixels of
   zero as many as biSizeImage says. */
std::string Bmp(int width, int height, unsigned bits, unsigned compression = 0,
                int sizeImage = 0)
{
    BmpLayout b;
    b.width = width;
    b.height = height;
    b.bits = bits;
    b.compression = compression;
    b.sizeImage = sizeImage;
    return BmpFile(b);
}

/* The picture with the 32-bit field at `at` overwritten. */
std::string Patched(std::string picture, size_t at, unsigned value)
{
    BmpPut32(&picture, at, value);
    return picture;
}

CheckResult CheckPicture(const std::string &picture, const std::string &named = "FOND.BMP")
{
    Distribution d;
    d.Write("FOND.BMP", picture);
    std::string script = CorrectScript(d);
    return d.Check(script.insert(script.find("\r\n") + 2, "Bitmap=" + named + "\r\n"));
}

TEST(CheckerBitmap, PicturesTheProgramShowsAreSilent)
{
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        CheckResult r = CheckPicture(Bmp(5, 3, bits));
        EXPECT_EQ(0, r.code) << bits << " bits: " << r.err;
    }
    CheckResult r = CheckPicture(Bmp(5, 3, 24), "fond.bmp");
    EXPECT_EQ(0, r.code) << "found without regard to capitals: " << r.err;
}

TEST(CheckerBitmap, PicturesMissingShortOrRefusedAreErrorsAtTheBitmapLine)
{
    std::string correct = Bmp(7, 5, 24);
    struct {
        const char *what;
        std::string picture;
        std::string named;
        const char *text;
    } cases[] = {
        {"missing", correct, "AUTRE.BMP", "not found"},
        {"on a drive", correct, "D:\\FOND.BMP", "names a drive"},
        {"file header short", "BM\x10\0\0", "FOND.BMP", "too short for a BMP file header"},
        {"offset refused", Patched(Bmp(2, 2, 24), 10, 20), "FOND.BMP", "pixel offset 20"},
        {"information short", correct.substr(0, 40), "FOND.BMP", "headers end at byte 54"},
        {"run-length without a size", Bmp(4, 4, 8, 1), "FOND.BMP",
         "refused: its run-length pixels have no size (biSizeImage 0)"},
        {"2 bits", Bmp(4, 4, 2), "FOND.BMP", "refused: it has 2 bits a pixel (biBitCount)"},
        {"pixels short", correct.substr(0, correct.size() - 1), "FOND.BMP",
         "short: 120 bytes of pixels (7 \xC3\x97 5 pixels of 24 bits: 5 rows of 24 bytes, each "
         "row's 21 bytes of pixels padded to a multiple of 4 bytes) expected, 119 present"},
        {"rows not padded", Bmp(50, 40, 24, 0, 50 * 3 * 40), "FOND.BMP",
         "refused: its pixel data is 6000 bytes (biSizeImage), where 50 \xC3\x97 40 pixels of 24 "
         "bits need 6080: 40 rows of 152 bytes, each row's 150 bytes of pixels padded"},
        {"rows of bits not padded", Bmp(10, 3, 1, 0, 6), "FOND.BMP",
         "is 6 bytes (biSizeImage), where 10 \xC3\x97 3 pixels of 1 bit need 12: 3 rows of 4 "
         "bytes, each row's 10 bits of pixels padded"},
        {"JPEG", Bmp(4, 4, 24, 4), "FOND.BMP", "its compression is JPEG (4) on 24 bits a pixel"},
        {"run-length top-down", Bmp(4, -4, 8, 1), "FOND.BMP", "stored top-down (height -4)"},
        {"colour table cut", Patched(Bmp(4, 4, 8), 10, 54 + 40), "FOND.BMP",
         "take 1064 bytes, but its pixel offset 94 leaves 80 bytes for them"},
        {"old header", Patched(Bmp(4, 4, 24), 14, 12), "FOND.BMP", "says it is 12 bytes long (biSize)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CheckResult r = CheckPicture(c.picture, c.named);
        EXPECT_EQ(1, r.Count(2, "error", c.text)) << r.err;
        EXPECT_EQ(1u, r.reported.size()) << r.err;
        EXPECT_EQ(2, r.code);
    }
}

} // namespace
