/* The checks of the script's bytes and lines, which need no entry: what is
   no script, the encoding, the line ends, the zero byte and the headers. */
#include <stdio.h>
#include <string.h>

#include "script/names.h"
#include "script/scan.h"
#include "tools/checker/checks.h"
#include "tools/checker/cp1252.h"

bool CheckWholeFile(const ScriptFile &file, Report &report)
{
    const std::string &bytes = file.bytes;
    if (bytes.empty()) {
        report.Add(Diag::EmptyScript, 1, 1,
                   "empty script: the program says \"La section [" NAME_SECTION_SETTINGS
                   "] n'existe pas !\" and ends");
        return false;
    }
    size_t sample = bytes.size() < 4096 ? bytes.size() : 4096;
    size_t controls = 0;
    for (size_t i = 0; i < sample; i++) {
        unsigned char c = (unsigned char)bytes[i];
        if ((c < 32 && c != '\t' && c != '\r' && c != '\n') || c == 127)
            controls++;
    }
    if (controls * 10 > sample) {
        report.Add(Diag::BinaryData, 1, 1,
                   "binary data, not a setup script: " + std::to_string(controls) +
                       " of its first " + std::to_string(sample) +
                       " bytes are control characters");
        return false;
    }
    return true;
}

/* Whether the line starts, after its blanks, with the key "Répertoire" in
   UTF-8, which CheckSettings tells of. */
static bool StartsWithUtf8Directory(const std::string &line)
{
    static const char utf8[] = NAME_KEY_DIRECTORY;
    size_t first = line.find_first_not_of(" \t");
    return first != std::string::npos && line.compare(first, sizeof utf8 - 1, utf8) == 0;
}

/* The zero byte that ends the text, unless only zero bytes and line ends
   after the last line follow it: those hide nothing. */
static void CheckZeroByte(const ScriptFile &file, Report &report)
{
    const std::string &text = file.text;
    size_t zero = text.size();
    size_t rest = file.bytes.find_first_not_of('\0', zero);
    bool nothingHidden =
        rest == std::string::npos ||
        (file.bytes.find_first_not_of(std::string("\0\r\n", 3), zero) == std::string::npos &&
         (text.empty() || text.back() == '\n'));
    if (!file.hasZero || nothingHidden)
        return;
    int after = file.LineCount() - file.LineOf(zero);
    report.Add(Diag::ZeroByte, file.LineOf(zero), file.ColumnOf(zero),
               "zero byte: the text ends here" +
                   (after > 0 ? " and the " + std::to_string(after) +
                                    " line(s) after it are not read"
                              : std::string(" and the rest of the line is not read")));
}

/* The bytes of one line (content only) starting at start: undefined bytes,
   UTF-8, a CR that ends nothing. */
static void CheckLineBytes(const ScriptFile &file, size_t start, const std::string &line,
                           size_t skip, bool hasLineFeed, Report &report)
{
    std::string undefined;
    size_t firstUndefined = 0;
    for (size_t i = 0; i < line.size(); i++) {
        unsigned char c = (unsigned char)line[i];
        if (Cp1252IsUndefined(c)) {
            char hex[8];
            snprintf(hex, sizeof hex, " 0x%02X", c);
            if (undefined.empty())
                firstUndefined = i;
            undefined += hex;
        }
    }
    if (!undefined.empty())
        report.Add(Diag::UndefinedByte, file.LineOf(start + firstUndefined),
                   file.ColumnOf(start + firstUndefined),
                   "byte(s)" + undefined + " name no character in code page 1252");

    if (!StartsWithUtf8Directory(line) && !line.empty() && line[0] != ';' &&
        Cp1252LooksUtf8(line, skip))
        report.Add(Diag::Utf8, file.LineOf(start), file.ColumnOf(start),
                   "text looks UTF-8 encoded: the program reads it in code page 1252 and "
                   "shows " +
                       Cp1252Quote(line.substr(skip)));

    size_t cr = line.find('\r');
    if (cr != std::string::npos && hasLineFeed)
        report.Add(Diag::LoneCr, file.LineOf(start + cr), file.ColumnOf(start + cr),
                   "CR not followed by LF is no line end: it stays in the line");
}

/* The line of text (with its line end) in code page 1252, each character
   that code page lacks kept in UTF-8; the first of those in *lacking. */
static std::string LineInCp1252(const std::string &line, std::string *lacking)
{
    std::string converted;
    if (Utf8ToCp1252(line, &converted))
        return converted;
    converted.clear();
    for (size_t i = 0; i < line.size();) {
        size_t length = Cp1252Utf8Length(line, i);
        std::string character = line.substr(i, length == 0 ? 1 : length);
        std::string byte;
        if (length > 0 && Utf8ToCp1252(character, &byte)) {
            converted += byte;
        } else {
            converted += character;
            if (lacking->empty() && length > 1)
                *lacking = character;
        }
        i += character.size();
    }
    return converted;
}

std::string ScriptInCp1252(const ScriptFile &file)
{
    const std::string &text = file.text;
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::string converted;
    std::string lacking;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        converted += LineInCp1252(text.substr(start, end - start), &lacking);
        start = end;
    }
    return converted;
}

/* A script saved in UTF-8: one error says so first, with the fix; what
   follows from it on each line is grouped under it (cli.cpp). */
static void CheckUtf8Script(const ScriptFile &file, size_t skip, Report &report)
{
    const std::string &text = file.text;
    if (!Cp1252ReadsAsUtf8(text, skip))
        return;
    int lines = 0;
    int firstLine = 0;
    std::string example;
    int lackingLine = 0;
    std::string lacking;
    for (size_t start = skip; start < text.size();) {
        int content;
        int end = ScriptLineEnd(text.c_str() + start, &content);
        std::string line = text.substr(start, (size_t)content);
        size_t high = 0;
        while (high < line.size() && (unsigned char)line[high] < 0x80)
            high++;
        if (high < line.size()) {
            lines++;
            if (firstLine == 0) {
                firstLine = file.LineOf(start);
                example = line.substr(high, Cp1252Utf8Length(line, high));
            }
            if (lackingLine == 0 && (LineInCp1252(line, &lacking), !lacking.empty()))
                lackingLine = file.LineOf(start);
        }
        start += (size_t)(content + end);
    }
    std::string howMany = lines == 1 ? "line " + std::to_string(firstLine) + " holds"
                                     : std::to_string(lines) + " lines, from line " +
                                           std::to_string(firstLine) + " on, hold";
    std::string message =
        "the script is saved in UTF-8 (" + howMany + " UTF-8 characters): the program reads it "
        "in code page 1252, where the " + std::to_string(example.size()) + " bytes of \"" +
        example + "\" read " + Cp1252Quote(example) +
        ", so accented texts show garbled and accented names of keys and files are not found; "
        "save the script in code page 1252 (Windows-1252, Western European), for instance with "
        "iconv -f UTF-8 -t CP1252";
    if (lackingLine != 0)
        message += ", after writing otherwise the \"" + lacking + "\" of line " +
                   std::to_string(lackingLine) + ", which code page 1252 lacks";
    report.Add(Diag::Utf8Script, 1, 1, message);
}

void CheckEncoding(const ScriptFile &file, Report &report)
{
    const std::string &bytes = file.bytes;
    const std::string &text = file.text;
    /* The mark is three characters in front of the first line: it matters
       only when that line is a header, which it then no longer is. */
    bool bom = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    CheckUtf8Script(file, bom ? 3 : 0, report);
    if (bom && text.size() > 3 && text[3] == '[') {
        int content;
        ScriptLineEnd(text.c_str() + 3, &content);
        report.Add(Diag::ByteOrderMark, 1, 1,
                   "UTF-8 byte-order mark before the header " +
                       Cp1252Quote(text.substr(3, (size_t)content)) +
                       ": the line starts with the mark, not with '[', and is no header; save "
                       "the script in code page 1252 without a mark");
    }

    bool hasLineFeed = text.find('\n') != std::string::npos;
    if (!hasLineFeed && text.find('\r') != std::string::npos)
        report.Add(Diag::CrAlone, 1, 1,
                   "line ends are CR alone: the whole file is one single line and nothing in "
                   "it is read; use CR LF or LF");

    CheckZeroByte(file, report);

    for (size_t start = 0; start < text.size();) {
        int content;
        int end = ScriptLineEnd(text.c_str() + start, &content);
        CheckLineBytes(file, start, text.substr(start, (size_t)content),
                       start == 0 && bom ? 3 : 0, hasLineFeed, report);
        start += (size_t)(content + end);
    }
}

static bool StartsWithNoCase(const std::string &text, const std::string &prefix)
{
    return text.size() >= prefix.size() &&
           Cp1252EqualNoCase(text.substr(0, prefix.size()), prefix);
}

/* A header of a section the program reads: repeated, or read by prefix. */
static void CheckKnownHeader(const ScriptFile &file, const std::string &known, size_t first,
                             size_t next, int number, const std::string &bytes,
                             const std::string &name, Report &report)
{
    if (first != next) {
        /* the first header is the line just before its section */
        report.Add(Diag::RepeatedSection, number, 1,
                   "section [" + Cp1252ToUtf8(known) + "] repeated: only the first, at line " +
                       std::to_string(file.LineOf(first - 1)) + ", is read; this one is ignored");
    } else if (name != known) {
        report.Add(Diag::SectionPrefix, number, 1,
                   "header " + Cp1252Quote(bytes) + " is read as [" + Cp1252ToUtf8(known) +
                       "]: section names match by their beginning");
    }
}

/* A header of no section the program reads; the first that was meant as
   [Groupe] is kept in the model, whose closing message it makes false. */
static void CheckOtherHeader(const std::string &bytes, const std::string &name, int number,
                             Report &report, ScriptModel *model)
{
    const ScriptNames &n = ScriptNamesCp1252();
    const char *lookalike = nullptr;
    for (const std::string *k : {&n.settings, &n.files, &n.group, &n.registration}) {
        if (StartsWithNoCase(name, *k))
            lookalike = k->c_str();
    }
    if (lookalike == n.group.c_str() && model->groupLookalikeLine == 0)
        model->groupLookalikeLine = number;
    if (lookalike != nullptr)
        report.Add(Diag::SectionCase, number, 1,
                   "header " + Cp1252Quote(bytes) + " is not [" + Cp1252ToUtf8(lookalike) +
                       "]: section names are case-sensitive; this section is not read");
    else
        report.Add(Diag::UnknownSection, number, 1,
                   "section [" + Cp1252ToUtf8(name) + "] is not read by the program");
}

void CheckHeaders(const ScriptFile &file, Report &report, ScriptModel *model)
{
    const ScriptNames &n = ScriptNamesCp1252();
    const std::string *known[] = {&n.settings, &n.files, &n.group, &n.registration};
    /* Where the program finds each section: the line after its first header. */
    size_t first[4];
    for (int k = 0; k < 4; k++) {
        int offset = 0;
        ScriptSeekSection(file.text.c_str(), known[k]->c_str(), &offset);
        first[k] = (size_t)offset;
    }
    const std::string &text = file.text;
    for (size_t start = 0; start < text.size();) {
        const char *line = text.c_str() + start;
        int content;
        int end = ScriptLineEnd(line, &content);
        int number = file.LineOf(start);
        std::string bytes(line, (size_t)content);
        start += (size_t)(content + end);

        if (content >= 1 && line[0] == '[') {
            size_t close = bytes.find(']');
            std::string name =
                bytes.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            int matched = -1;
            for (int k = 0; k < 4; k++) {
                if (ScriptHeaderMatches(line, content, known[k]->c_str()))
                    matched = k;
            }
            if (matched >= 0)
                CheckKnownHeader(file, *known[matched], first[matched], start, number, bytes,
                                 name, report);
            else
                CheckOtherHeader(bytes, name, number, report, model);
            continue;
        }
        size_t blanks = bytes.find_first_not_of(" \t");
        if (blanks != std::string::npos && blanks > 0 && bytes[blanks] == '[' &&
            bytes.find('=') == std::string::npos) {
            if (StartsWithNoCase(bytes.substr(blanks + 1), n.group) &&
                model->groupLookalikeLine == 0)
                model->groupLookalikeLine = number;
            report.Add(Diag::IndentedHeader, number, (int)blanks + 1,
                       "indented header " + Cp1252Quote(bytes) +
                           " is no header: a header starts in the first column; this line is "
                           "an entry of the section above");
        }
    }
}
