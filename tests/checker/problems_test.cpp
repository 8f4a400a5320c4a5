/* Every problem family on crafted scripts: the line, the kind (an error, or
   the warning's name) and the exit code. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support.h"

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
const std::string files = "[Fichiers]\r\nProgramme=Tavelin.exe\r\n";

struct ProblemCase {
    const char *what;
    std::string script;
    int line;
    const char *kind; /* "error", or the warning's name */
    const char *text; /* a part of the message */
};

/* Checks each case in a distribution holding Tavelin.exe and Lisezmoi.txt:
   the problem is reported once, at its line, and decides the exit code. */
void CheckCases(const std::vector<ProblemCase> &cases)
{
    for (const ProblemCase &c : cases) {
        SCOPED_TRACE(c.what);
        Distribution d;
        d.Write("Tavelin.exe", "MZ");
        d.Write("Lisezmoi.txt", "texte");
        CheckResult r = d.Check(c.script);
        EXPECT_EQ(1, r.Count(c.line, c.kind, c.text)) << r.err;
        EXPECT_EQ(std::string(c.kind) == "error" ? 2 : 1, r.code) << r.err;
    }
}

TEST(CheckerProblems, CorrectScriptIsSilent)
{
    Distribution d;
    CheckResult r = d.Check(CorrectScript(d));
    EXPECT_EQ(0, r.code);
    EXPECT_EQ("", r.err);
    EXPECT_EQ("", r.out);
}

/* Names the program and Windows resolve to what is installed give no
   warning: trailing blanks and dots, '/' for '\', capitals, "..". */
TEST(CheckerProblems, NamesAreResolvedAsWindowsResolvesThem)
{
    Distribution d;
    d.Write("Tavelin.exe", "MZ");
    d.Write("Aide.txt", "aide");
    CheckResult r = d.Check(settings + Lines({"[Fichiers]", "Programme=Tavelin.exe ",
                                              "Aide=bin\\Aide.txt;aide.txt.", "Notes=bin/a\\..\\n.txt;Aide.txt",
                                              "[Groupe]", "T.lnk=Tavelin.exe,T,%TAVELIN.EXE. ,0",
                                              "A.lnk=bin/aide.txt", "N.lnk=BIN\\N.TXT",
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
        {"0x8D", settings + files + "; \x8D\r\n", 6, "undefined-byte", "0x8D"},
        {"0x8F", settings + files + "\x8F=Lisezmoi.txt\r\n", 6, "undefined-byte", "0x8F"},
        {"0x90", settings + "Titre=\x90\r\n" + files, 4, "undefined-byte", "0x90"},
        {"0x9D", settings + "Titre=\x9D\r\n" + files, 4, "undefined-byte", "0x9D"},
        {"UTF-8 key", settings + "R\xC3\xA9pertoire=C:\\T\r\n" + files, 4, "error", "UTF-8"},
        {"UTF-8 text", settings + "Titre=\xC3\xA9" "diteur\r\n" + files, 4, "utf8",
         "\xC3\x83\xC2\xA9" "diteur"},
    });
}

TEST(CheckerProblems, Sections)
{
    CheckCases({
        {"no settings", files, 1, "error", "[Installer]"},
        {"no files", settings, 1, "error", "[Fichiers]"},
        {"repeated", settings + files + "[Fichiers]\r\nX=Absent.txt\r\n", 6, "repeated-section",
         "only the first, at line 4"},
        {"by prefix", settings + "[Fichiers2]\r\nX=Tavelin.exe\r\n", 4, "section-prefix",
         "read as [Fichiers]"},
        {"capitals", settings + files + "[groupe]\r\n", 6, "section-case", "case-sensitive"},
        {"unknown", settings + files + "[Divers]\r\n", 6, "unknown-section", "[Divers] is not read"},
        {"indented", settings + "  [Groupe]\r\n" + files, 4, "indented-header", "indented header"},
    });
}

TEST(CheckerProblems, Settings)
{
    std::string registration = "[Enregistrement]\r\n";
    std::string longValue(130, 'x');
    CheckCases({
        {"indented", settings + "  Bitmap=\r\n" + files, 4, "indented-key", "first column"},
        {"capitals", settings + "bitmap=\r\n" + files, 4, "key-case", "case-sensitive"},
        {"unknown", settings + "Auteur=Moi\r\n" + files, 4, "unknown-key", "unknown key \"Auteur\""},
        {"empty key", settings + "=Moi\r\n" + files, 4, "empty-key", "sets nothing"},
        {"prefix", settings + "BitmapFond=\r\n" + files, 4, "key-prefix",
         "\"BitmapFond\" is read as \"Bitmap\""},
        {"no '='", settings + "Bitmap\r\n" + files, 4, "no-equals", "empty value"},
        {"again", settings + "Titre=Autre\r\n" + files, 4, "repeated-key", "replaces line 3"},
        {"long", settings + "Titre=" + longValue + "\r\n" + files, 4, "cut", "cut to 127"},
        {"no accent", settings + "Repertoire=C:\\T\r\n" + files, 4, "unknown-key", "0xE9"},
        {"no application", "[Installer]\r\nTitre=T\r\n" + files, 1, "no-application",
         "Application"},
        {"no title", "[Installer]\r\nApplication=T\r\n" + files, 1, "no-title", "caption"},
        {"suffixes capitals", settings + files + registration + "suffixes=txt\r\n", 7, "key-case",
         "case-sensitive"},
        {"suffixes prefix", settings + files + registration + "SuffixesTexte=txt\r\n", 7,
         "key-prefix", "read as \"Suffixes\""},
        {"suffixes indented", settings + files + registration + " Suffixes=txt\r\n", 7,
         "indented-key", "first column"},
        {"suffix with dot", settings + files + registration + "Suffixes=.txt\r\n", 7, "suffix-dot",
         "\"..txt\""},
        {"suffixes with commas", settings + files + registration + "Suffixes=txt,ini log\r\n", 7,
         "suffix-separator", "\".txt,ini\""},
        {"suffix with '\\'", settings + files + registration + "Suffixes=txt\\ini\r\n", 7,
         "suffix-separator", "below the key"},
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
    });
    /* the installation directory typed: only the group folder is the name's */
    Distribution d;
    d.Write("Tavelin.exe", "MZ");
    CheckResult r = d.Check(with("Tavelin|Pro"), {"--install-dir", "C:\\Tavelin"});
    EXPECT_EQ(1, r.Count(2, "error", "group folder")) << r.err;
    EXPECT_EQ(1u, r.reported.size()) << r.err;
}

TEST(CheckerProblems, Files)
{
    std::string longText(130, 'x');
    std::string big = settings + "[Fichiers]\r\n";
    CheckCases({
        {"missing", settings + files + "Licence=Licence.txt;LICENCE.TXT\r\n", 6, "error",
         "\"LICENCE.TXT\" not found"},
        {"no '='", settings + files + "Lisezmoi.txt\r\n", 6, "error", "without '='"},
        {"blanks", settings + files + "   \r\n", 6, "error", "line of blanks"},
        {"no source", settings + files + "Licence=Licence.txt;\r\n", 6, "error",
         "no source file"},
        {"empty destination", settings + files + "Licence=;Lisezmoi.txt\r\n", 6, "error",
         "empty destination"},
        {"directory named", settings + files + "Licence=doc\\;Lisezmoi.txt\r\n", 6, "error",
         "ends with a separator"},
        {"drive", settings + files + "Licence=D:\\Lisezmoi.txt;Lisezmoi.txt\r\n", 6, "error",
         "names a drive"},
        {"refused character", settings + files + "L=Lisez|moi.txt;Lisezmoi.txt\r\n", 6, "error",
         "'|'"},
        {"device", settings + files + "L=doc\\nul.txt;Lisezmoi.txt\r\n", 6, "error", "device"},
        {"'/' to no directory", settings + files + "L=doc/L.txt;Lisezmoi.txt\r\n", 6, "error",
         "\\doc\" does not exist"},
        {"directory made without its blank", settings + files + "L=doc \\L.txt;Lisezmoi.txt\r\n",
         6, "error", "without the blanks"},
        {"file where a directory is", settings + files + "L=Tavelin.exe\\L.txt;Lisezmoi.txt\r\n",
         6, "error", "is no directory"},
        {"directory where a file goes",
         settings + files + "L=doc\\L.txt;Lisezmoi.txt\r\nD=doc;Lisezmoi.txt\r\n", 7, "error",
         "made for line 6"},
        {"Windows directory too deep", settings + files + "Config=%Tavelin\\L.txt;Lisezmoi.txt\r\n",
         6, "windows-subdirectory", "Windows directory"},
        {"twice", settings + files + "Copie=tavelin.exe\r\n", 6, "duplicate-destination",
         "already written by line 5"},
        {"climbs out", settings + files + "L=..\\..\\L.txt;Lisezmoi.txt\r\n", 6,
         "outside-installation", "C:\\L.txt"},
        {"rooted", settings + files + "L=\\L.txt;Lisezmoi.txt\r\n", 6, "rooted-destination",
         "not at the root"},
        {"two ';'", settings + files + "L=a;b;Lisezmoi.txt\r\n", 6, "semicolons", "\"a;b\""},
        {"long key", settings + files + longText + "=Lisezmoi.txt\r\n", 6, "cut", "key longer"},
        {"long value", settings + files + "Long=Lisezmoi.txt" + std::string(120, ' ') + "\r\n", 6,
         "cut", "value longer"},
    });
}

/* Files past 2 GiB are measured and copied whole; only a total past what
   the Directory dialog's figure holds is told. */
TEST(CheckerProblems, SizesPastTwoTerabytes)
{
    Distribution d;
    d.Write("Tavelin.exe", "MZ");
    d.Sparse("GRAND.DAT", 3LL << 30);
    CheckResult big = d.Check(settings + Lines({"[Fichiers]", "A=Tavelin.exe", "G=GRAND.DAT"}));
    EXPECT_EQ(0u, big.reported.size()) << big.err;
    d.Sparse("ENORME.DAT", 3LL << 40);
    CheckResult r = d.Check(settings + Lines({"[Fichiers]", "A=Tavelin.exe", "G=GRAND.DAT",
                                              "E=ENORME.DAT"}));
    EXPECT_EQ(1, r.Count(4, "size", "more than 2 TiB")) << r.err;
    EXPECT_EQ(1u, r.reported.size()) << r.err;
}

TEST(CheckerProblems, SourcesAreFoundAsWindowsFindsThem)
{
    Distribution d;
    d.Write("Tavelin.exe", "MZ");
    d.MakeDirectory("docs");
    d.Write("docs/lisez.txt", "texte");
    d.Write("\xC3\xA9t\xC3\xA9.txt", "UTF-8 name");
    d.MakeDirectory("Exemples");
    CheckResult r = d.Check(settings + Lines({"[Fichiers]", "A=TAVELIN.EXE", "B=Docs\\LISEZ.txt",
                                              "C=b.txt;docs/./lisez.txt", "D=\xC9T\xC9.TXT",
                                              "E=Exemples"}));
    EXPECT_EQ(1, r.Count(9, "error", "is a directory")) << r.err;
    EXPECT_EQ(1u, r.reported.size()) << r.err;

    /* a ".." goes above the setup directory, as on a disc of several products */
    d.MakeDirectory("produit");
    d.MakeDirectory("commun");
    d.Write("commun/Partage.dll", "MZ");
    d.Write("produit/SETUP.INF", settings + files + "Partage=Partage.dll;..\\Commun\\partage.dll\r\n");
    d.Write("produit/Tavelin.exe", "MZ");
    r = RunChecker({"--plan", d.Path("produit/SETUP.INF")});
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_NE(std::string::npos, r.out.find("copy of ..\\commun\\Partage.dll\n")) << r.out;
}

TEST(CheckerProblems, Group)
{
    std::string group = "[Groupe]\r\nTavelin.lnk=Tavelin.exe,Tavelin,%Tavelin.exe,0\r\n";
    std::string after = "Lisez-moi.lnk=Lisezmoi.txt,Lisez-moi\r\n";
    CheckCases({
        {"after empty line", settings + files + group + "\r\n" + after, 9, "shortcut-never-made",
         "the empty line 8"},
        {"after comment", settings + files + group + "; fin\r\n" + after, 9,
         "shortcut-never-made", "the comment at line 8"},
        {"after '='", settings + files + group + "=\r\n" + after, 9, "shortcut-never-made",
         "only '=' 8"},
        {"no '='", settings + files + group + "Lisez-moi.lnk\r\n", 8, "no-equals", "without '='"},
        {"blanks", settings + files + group + "  \r\n", 8, "no-equals", "line of blanks"},
        {"no .lnk", settings + files + group + "Lisez-moi=Tavelin.exe\r\n", 8, "lnk", ".lnk"},
        {"target", settings + files + group + "L.lnk=Licence.txt\r\n", 8, "not-installed",
         "\"Licence.txt\" is not installed"},
        {"icon", settings + files + group + "L.lnk=Tavelin.exe,L,%Icone.ico\r\n", 8,
         "not-installed", "\"%Icone.ico\" is not installed"},
        {"'%' not after its comma", settings + files + group + "L.lnk=Tavelin.exe,L, %Tavelin.exe\r\n",
         8, "icon-percent", "used as written"},
        {"index", settings + files + group + "L.lnk=Tavelin.exe,L,,premier\r\n", 8, "icon-index",
         "takes 0"},
        {"index and more", settings + files + group + "L.lnk=Tavelin.exe,L,,3x\r\n", 8,
         "icon-index", "takes 3"},
        {"twice", settings + files + group + "TAVELIN.LNK=Tavelin.exe\r\n", 8, "duplicate-shortcut",
         "line 7"},
        {"no name", settings + files + "[Groupe]\r\n=Tavelin.exe\r\n", 7, "error",
         "nor the desktop one"},
        {"refused character", settings + files + "[Groupe]\r\nMau|vais.lnk=Tavelin.exe\r\n", 7,
         "error", "nor the desktop one"},
        {"device", settings + files + group + "Aux.lnk=Tavelin.exe\r\n", 8, "error", "device"},
        {"directory", settings + files + group + "doc\\L.lnk=Tavelin.exe\r\n", 8, "error",
         "cannot be saved"},
    });
}

TEST(CheckerProblems, EveryNeverMadeShortcutIsReported)
{
    Distribution d;
    CheckResult r = d.Check(CorrectScript(d) + Lines({"[Groupe]", "; raccourcis",
                                                      "A.lnk=Tavelin.exe", "B.lnk=Tavelin.exe", "",
                                                      "C.lnk=Tavelin.exe"}));
    for (int line : {9, 10, 12})
        EXPECT_EQ(1, r.Count(line, "shortcut-never-made", "the comment at line 8")) << line << r.err;
    EXPECT_EQ(3u, r.reported.size()) << r.err;
    EXPECT_EQ(1, r.code);
}

} // namespace
