/* Every problem family on crafted scripts: the line, the severity and the
   exit code. */
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
    const char *severity;
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
        EXPECT_EQ(1, r.Count(c.line, c.severity, c.text)) << r.err;
        EXPECT_EQ(std::string(c.severity) == "error" ? 2 : 1, r.code) << r.err;
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

TEST(CheckerProblems, Encoding)
{
    std::string correct = settings + files;
    std::string crOnly = correct;
    for (size_t at; (at = crOnly.find("\r\n")) != std::string::npos;)
        crOnly.erase(at + 1, 1);
    CheckCases({
        {"byte-order mark", "\xEF\xBB\xBF" + correct, 1, "error", "byte-order mark"},
        {"CR alone", crOnly, 0, "error", "CR alone"},
        {"zero byte", settings + std::string("Bitmap=\0x\r\n", 11) + files, 4, "error",
         "zero byte"},
        {"lone CR", settings + "; commentaire\r\r\n" + files, 4, "warning", "CR not followed"},
        {"0x81", settings + "; \x81\r\n" + files, 4, "warning", "0x81"},
        {"0x8D", settings + files + "; \x8D\r\n", 6, "warning", "0x8D"},
        {"0x8F", settings + files + "\x8F=Lisezmoi.txt\r\n", 6, "warning", "0x8F"},
        {"0x90", settings + "Titre=\x90\r\n" + files, 4, "warning", "0x90"},
        {"0x9D", settings + "Titre=\x9D\r\n" + files, 4, "warning", "0x9D"},
        {"UTF-8 key", settings + "R\xC3\xA9pertoire=C:\\T\r\n" + files, 4, "error", "UTF-8"},
        {"UTF-8 text", settings + "Titre=\xC3\xA9" "diteur\r\n" + files, 4, "warning",
         "\xC3\x83\xC2\xA9" "diteur"},
    });
}

TEST(CheckerProblems, Sections)
{
    CheckCases({
        {"no settings", files, 0, "error", "[Installer]"},
        {"no files", settings, 0, "error", "[Fichiers]"},
        {"repeated", settings + files + "[Fichiers]\r\nX=Absent.txt\r\n", 6, "warning",
         "only the first, at line 4"},
        {"by prefix", settings + "[Fichiers2]\r\nX=Tavelin.exe\r\n", 4, "warning",
         "read as [Fichiers]"},
        {"capitals", settings + files + "[groupe]\r\n", 6, "warning", "case-sensitive"},
        {"unknown", settings + files + "[Divers]\r\n", 6, "warning", "[Divers] is not read"},
        {"indented", settings + "  [Groupe]\r\n" + files, 4, "warning", "indented header"},
    });
}

TEST(CheckerProblems, Settings)
{
    std::string registration = "[Enregistrement]\r\n";
    std::string longValue(130, 'x');
    CheckCases({
        {"indented", settings + "  Bitmap=\r\n" + files, 4, "warning", "first column"},
        {"capitals", settings + "bitmap=\r\n" + files, 4, "warning", "case-sensitive"},
        {"unknown", settings + "Auteur=Moi\r\n" + files, 4, "warning", "unknown key \"Auteur\""},
        {"prefix", settings + "BitmapFond=\r\n" + files, 4, "warning",
         "\"BitmapFond\" is read as \"Bitmap\""},
        {"again", settings + "Titre=Autre\r\n" + files, 4, "warning", "replaces line 3"},
        {"long", settings + "Titre=" + longValue + "\r\n" + files, 4, "warning", "cut to 127"},
        {"no accent", settings + "Repertoire=C:\\T\r\n" + files, 4, "warning", "0xE9"},
        {"no application", "[Installer]\r\nTitre=T\r\n" + files, 1, "warning", "Application"},
        {"suffixes capitals", settings + files + registration + "suffixes=txt\r\n", 7, "warning",
         "case-sensitive"},
        {"suffixes prefix", settings + files + registration + "SuffixesTexte=txt\r\n", 7,
         "warning", "read as \"Suffixes\""},
        {"suffixes indented", settings + files + registration + " Suffixes=txt\r\n", 7,
         "warning", "first column"},
        {"suffix with dot", settings + files + registration + "Suffixes=.txt\r\n", 7, "warning",
         "\"..txt\""},
    });
}

TEST(CheckerProblems, Files)
{
    std::string longText(130, 'x');
    CheckCases({
        {"missing", settings + files + "Licence=Licence.txt;LICENCE.TXT\r\n", 6, "error",
         "\"LICENCE.TXT\" not found"},
        {"no '='", settings + files + "Lisezmoi.txt\r\n", 6, "error", "without '='"},
        {"blanks", settings + files + "   \r\n", 6, "error", "line of blanks"},
        {"no source", settings + files + "Licence=Licence.txt;\r\n", 6, "error",
         "no source file"},
        {"empty destination", settings + files + "Licence=;Lisezmoi.txt\r\n", 6, "error",
         "empty destination"},
        {"Windows subdirectory", settings + files + "Config=%Tavelin\\L.txt;Lisezmoi.txt\r\n",
         6, "warning", "Windows directory"},
        {"twice", settings + files + "Copie=tavelin.exe\r\n", 6, "warning",
         "already written by line 5"},
        {"long key", settings + files + longText + "=Lisezmoi.txt\r\n", 6, "warning",
         "key longer"},
        {"long value", settings + files + "Long=Lisezmoi.txt" + std::string(120, ' ') + "\r\n", 6,
         "warning", "value longer"},
    });
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
}

TEST(CheckerProblems, Group)
{
    std::string group = "[Groupe]\r\nTavelin.lnk=Tavelin.exe,Tavelin,%Tavelin.exe,0\r\n";
    std::string after = "Lisez-moi.lnk=Lisezmoi.txt,Lisez-moi\r\n";
    CheckCases({
        {"after empty line", settings + files + group + "\r\n" + after, 9, "warning",
         "the empty line 8"},
        {"after comment", settings + files + group + "; fin\r\n" + after, 9, "warning",
         "the comment at line 8"},
        {"after '='", settings + files + group + "=\r\n" + after, 9, "warning",
         "only '=' 8"},
        {"no '='", settings + files + group + "Lisez-moi.lnk\r\n", 8, "warning", "without '='"},
        {"blanks", settings + files + group + "  \r\n", 8, "warning", "line of blanks"},
        {"no .lnk", settings + files + group + "Lisez-moi=Lisezmoi.txt\r\n", 8, "warning",
         ".lnk"},
        {"target", settings + files + group + "L.lnk=Licence.txt\r\n", 8, "warning",
         "\"Licence.txt\" is not installed"},
        {"icon", settings + files + group + "L.lnk=Tavelin.exe,L,%Icone.ico\r\n", 8, "warning",
         "\"%Icone.ico\" is not installed"},
        {"no name", settings + files + group + "=Tavelin.exe\r\n", 8, "warning", "without a name"},
    });
}

TEST(CheckerProblems, EveryNeverMadeShortcutIsReported)
{
    Distribution d;
    CheckResult r = d.Check(CorrectScript(d) + Lines({"[Groupe]", "; raccourcis",
                                                      "A.lnk=Tavelin.exe", "B.lnk=Tavelin.exe", "",
                                                      "C.lnk=Tavelin.exe"}));
    for (int line : {9, 10, 12})
        EXPECT_EQ(1, r.Count(line, "warning", "the comment at line 8")) << line << r.err;
    EXPECT_EQ(3u, r.reported.size()) << r.err;
    EXPECT_EQ(1, r.code);
}

} // namespace
