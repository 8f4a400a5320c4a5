#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "resources/ids.h"
#include "tests/e2e/support.h"
#include "util/strings.h"

namespace {

/* One control of a DIALOG (not DIALOGEX) template. */
struct TemplateControl {
    int id;
    std::string className;   /* "Button", "Edit", "Static" or a name */
    std::string text;        /* in code page 1252 */
    short x, y, cx, cy;
    DWORD style;
};

struct Template {
    DWORD style;
    short x, y, cx, cy;
    std::string caption;
    int pointSize;
    std::string font;
    std::vector<TemplateControl> controls;
};

std::string Narrow(const WCHAR *text)
{
    char buffer[512];
    WideCharToMultiByte(1252, 0, text, -1, buffer, sizeof buffer, NULL, NULL);
    return buffer;
}

/* A name or ordinal field of a template: 0xFFFF followed by an ordinal, or text. */
const WORD *ReadField(const WORD *p, std::string *text, int *ordinal)
{
    if (*p == 0xFFFF) {
        if (ordinal)
            *ordinal = p[1];
        if (text)
            *text = "#" + std::to_string(p[1]);
        return p + 2;
    }
    std::wstring s;
    while (*p)
        s += (wchar_t)*p++;
    if (text)
        *text = Narrow(s.c_str());
    return p + 1;
}

struct FoundLanguage {
    LANGID language;
    bool seen;
};

BOOL CALLBACK RememberLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param)
{
    FoundLanguage *found = (FoundLanguage *)param;
    found->language = language;
    found->seen = true;
    return TRUE;
}

LANGID TemplateLanguage(const char *name)
{
    FoundLanguage found = { 0, false };
    EnumResourceLanguagesA(TestSetupModule(), (LPCSTR)RT_DIALOG, name, RememberLanguage,
                           (LONG_PTR)&found);
    return found.seen ? found.language : 0;
}

/* Reads the template of that name, which must be French as the program is. */
bool ParseTemplate(const char *name, Template *out)
{
    HMODULE module = TestSetupModule();
    HRSRC resource = FindResourceA(module, name, (LPCSTR)RT_DIALOG);
    if (!resource)
        return false;
    EXPECT_EQ(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), TemplateLanguage(name)) << name;
    const BYTE *data = (const BYTE *)LockResource(LoadResource(module, resource));
    const DLGTEMPLATE *t = (const DLGTEMPLATE *)data;
    out->style = t->style;
    out->x = t->x;
    out->y = t->y;
    out->cx = t->cx;
    out->cy = t->cy;
    const WORD *p = (const WORD *)(t + 1);
    p = ReadField(p, NULL, NULL);               /* menu */
    p = ReadField(p, NULL, NULL);               /* class */
    p = ReadField(p, &out->caption, NULL);
    if (t->style & DS_SETFONT) {
        out->pointSize = *p++;
        p = ReadField(p, &out->font, NULL);
    }
    for (int i = 0; i < t->cdit; i++) {
        p = (const WORD *)(((ULONG_PTR)p + 3) & ~(ULONG_PTR)3);
        const DLGITEMTEMPLATE *item = (const DLGITEMTEMPLATE *)p;
        TemplateControl c;
        c.id = (short)item->id;
        c.x = item->x;
        c.y = item->y;
        c.cx = item->cx;
        c.cy = item->cy;
        c.style = item->style;
        p = (const WORD *)(item + 1);
        int ordinal = 0;
        p = ReadField(p, &c.className, &ordinal);
        if (c.className == "#128") c.className = "Button";
        if (c.className == "#129") c.className = "Edit";
        if (c.className == "#130" || lstrcmpiA(c.className.c_str(), "Static") == 0)
            c.className = "Static";
        p = ReadField(p, &c.text, NULL);
        WORD extra = *p++;
        p = (const WORD *)((const BYTE *)p + extra);
        out->controls.push_back(c);
    }
    return true;
}

void ExpectControl(const Template &t, size_t index, int id, const char *className,
                   const char *text, short x, short y, short cx, short cy, DWORD styleBits)
{
    SCOPED_TRACE(testing::Message() << "control " << index);
    ASSERT_LT(index, t.controls.size());
    const TemplateControl &c = t.controls[index];
    EXPECT_EQ(id, c.id);
    EXPECT_EQ(className, c.className);
    EXPECT_EQ(std::string(text), c.text);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
    EXPECT_EQ(cx, c.cx);
    EXPECT_EQ(cy, c.cy);
    EXPECT_EQ(styleBits, c.style & styleBits) << std::hex << c.style;
}

/* Reads a dialog template and checks its frame: the style bits given, at
   18, 18, of that size and caption, in 8-point MS Sans Serif. False when it
   cannot be read or has not that many controls. */
bool ReadDialog(const char *name, DWORD style, short cx, short cy, const char *caption,
                size_t controls, Template *out)
{
    if (!ParseTemplate(name, out))
        return false;
    const Template &t = *out;
    EXPECT_EQ(style, t.style & style) << std::hex << t.style;
    EXPECT_EQ(18, t.x);
    EXPECT_EQ(18, t.y);
    EXPECT_EQ(cx, t.cx);
    EXPECT_EQ(cy, t.cy);
    EXPECT_EQ(std::string(caption), t.caption);
    EXPECT_EQ(8, t.pointSize);
    EXPECT_EQ("MS Sans Serif", t.font);
    EXPECT_EQ(controls, t.controls.size());
    return t.controls.size() == controls;
}

/* The frame of the dialogs visible as they are made. */
const DWORD kShown =
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

}  // namespace

TEST(Resources, StringTableIsTheCatalogueByteForByte)
{
    ASSERT_NE(nullptr, TestSetupModule());
    const struct { UINT id; const char *text; } catalogue[] = {
        { 1, "Installer" },
        { 2, "Installer Tavelin dans le r\xE9pertoire:" },
        { 3, "Cette installation requiert %ld Kb." },
        { 4, "Souhaitez vous configurer Tavelin comme \xE9" "diteur de textes par d\xE9" "faut  ?" },
        { 5, "Installation normalement termin\xE9" "e. Une ic\xF4ne \"%s\" a \xE9t\xE9 cr\xE9\xE9" "e sur "
             "votre bureau ainsi qu'un dossier dans votre menu \"D\xE9marrer\\programmes\"." },
        { 6, "L'installation n'a pas \xE9t\xE9 effectu\xE9" "e correctement dans sa totalit\xE9 ! "
             "Vous devriez r\xE9installer apr\xE8s correction du probl\xE8me !" },
        { 7, "Installation abandonn\xE9" "e." },
        { 16, "Fichiers" }, { 17, "Groupe" }, { 18, "Installer" }, { 19, "Enregistrement" },
        { 20, "Application" }, { 21, "Bitmap" }, { 22, "Titre" },
        { 23, "R\xE9pertoire" }, { 24, "Suffixes" },
        { 2044, "Ne peut ouvrir \"%s\" !" },
        { 2045, "Ne peut lire \"%s\" !" },
        { 2050, "Ne peut cr\xE9" "er \"%s\" !" },
        { 2051, "Ne peut \xE9" "crire \"%s\" !" },
        { 2052, "%s: allocation m\xE9moire impossible !" },
        { 2053, "%s: acc\xE8s m\xE9moire impossible !" },
        { 2054, "%s: cr\xE9" "ation de bitmap impossible !" },
        { 2055, "La section [%s] n'existe pas !" },
    };
    ASSERT_EQ(1252u, GetACP());
    for (const auto &entry : catalogue) {
        char buffer[512];
        int n = LoadStringA(TestSetupModule(), entry.id, buffer, sizeof buffer);
        std::string expected = entry.text;
        EXPECT_EQ((int)expected.size(), n) << "string " << entry.id;
        EXPECT_EQ(expected, std::string(buffer)) << "string " << entry.id;
    }
}

TEST(Resources, StringTableHoldsNoOtherString)
{
    const UINT known[] = { 1, 2, 3, 4, 5, 6, 7, 16, 17, 18, 19, 20, 21, 22, 23, 24,
                           2044, 2045, 2050, 2051, 2052, 2053, 2054, 2055 };
    int others = 0;
    for (UINT id = 0; id < 4096; id++) {
        bool isKnown = false;
        for (UINT k : known)
            isKnown = isKnown || k == id;
        char buffer[8];
        if (!isKnown && LoadStringA(TestSetupModule(), id, buffer, sizeof buffer) > 0)
            others++;
    }
    EXPECT_EQ(0, others);
}

TEST(Resources, DirectoryTemplate)
{
    Template t;
    ASSERT_TRUE(ReadDialog("Directory", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME |
                           DS_SETFONT, 209, 98, "", 7, &t));
    EXPECT_EQ(0u, t.style & WS_VISIBLE);
    ExpectControl(t, 0, IDC_STATIC, "Static", "Install", 3, 3, 18, 20, SS_ICON);
    ExpectControl(t, 1, IDC_DIRECTORY_PROMPT, "Static", "", 27, 13, 155, 8, SS_CENTER);
    ExpectControl(t, 2, IDC_STATIC, "Static", "INSTALL", 186, 3, 18, 20, SS_ICON);
    ExpectControl(t, 3, IDC_DIRECTORY_PATH, "Edit", "",
                  3, 32, 204, 12, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL);
    ExpectControl(t, 4, IDC_DIRECTORY_SIZE, "Static", "Cette installation requiert %ld Kb.",
                  3, 53, 204, 8, SS_CENTER);
    ExpectControl(t, 5, IDC_DIRECTORY_INSTALL, "Button", "&Installer",
                  12, 70, 85, 18, BS_DEFPUSHBUTTON | WS_TABSTOP);
    ExpectControl(t, 6, IDC_DIRECTORY_CANCEL, "Button", "Annuler", 109, 70, 85, 18, WS_TABSTOP);
    EXPECT_EQ(0u, t.controls[6].style & BS_DEFPUSHBUTTON);
}

TEST(Resources, CopyTemplate)
{
    Template t;
    ASSERT_TRUE(ReadDialog("Copy", kShown, 209, 144, "", 10, &t));
    ExpectControl(t, 0, IDC_STATIC, "Static", "Install", 3, 3, 18, 20, SS_ICON);
    ExpectControl(t, 1, IDC_STATIC, "Static", "Install", 186, 3, 18, 20, SS_ICON);
    ExpectControl(t, 2, IDC_STATIC, "Static", "Avancement global", 3, 31, 204, 8, SS_CENTER);
    ExpectControl(t, 3, IDC_PROGRESS_TOTAL_BAR, "Static", "", 3, 42, 180, 12, WS_BORDER);
    EXPECT_EQ((DWORD)SS_LEFT, t.controls[3].style & SS_TYPEMASK);
    ExpectControl(t, 4, IDC_PROGRESS_TOTAL_TEXT, "Static", "", 186, 44, 20, 8, SS_CENTER);
    ExpectControl(t, 5, IDC_PROGRESS_FILE_LABEL, "Static", "", 3, 63, 204, 8, SS_CENTER);
    ExpectControl(t, 6, IDC_PROGRESS_FILE_BAR, "Static", "", 3, 74, 180, 12, WS_BORDER);
    EXPECT_EQ((DWORD)SS_LEFT, t.controls[6].style & SS_TYPEMASK);
    ExpectControl(t, 7, IDC_PROGRESS_FILE_TEXT, "Static", "", 186, 76, 21, 8, SS_CENTER);
    ExpectControl(t, 8, IDC_STATIC, "Static", "", 3, 103, 204, 1, SS_BLACKFRAME);
    ExpectControl(t, 9, IDC_PROGRESS_CANCEL, "Button", "Annuler",
                  76, 118, 64, 16, BS_DEFPUSHBUTTON | WS_TABSTOP);
}

TEST(Resources, RegistrationTemplate)
{
    Template t;
    ASSERT_TRUE(ReadDialog("Registration", kShown, 318, 106, "Enregistrer des types de fichiers",
                           8, &t));
    ExpectControl(t, 0, IDC_STATIC, "Static", "INSTALL", 8, 6, 18, 20, SS_ICON);
    ExpectControl(t, 1, IDC_STATIC, "Static",
                  "Souhaitez vous enregistrer les fichiers suivants comme fichiers texte ?",
                  50, 9, 224, 10, WS_GROUP);
    ExpectControl(t, 2, IDC_STATIC, "Static", "INSTALL", 291, 6, 18, 20, SS_ICON);
    ExpectControl(t, 3, IDC_STATIC, "Static",
                  "Cela permettra de lancer automatiquement leur \xE9" "dition par Tavelin en "
                  "double-clicquant dessus dans l'explorateur.",
                  50, 27, 201, 17, WS_GROUP);
    ExpectControl(t, 4, IDC_STATIC, "Static", "Types:", 11, 59, 22, 8, WS_GROUP);
    ExpectControl(t, 5, IDC_REGISTRATION_SUFFIXES, "Edit", "",
                  50, 57, 257, 12, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL);
    ExpectControl(t, 6, IDYES, "Button", "&Oui", 200, 81, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP);
    ExpectControl(t, 7, IDNO, "Button", "&Non", 256, 81, 50, 14, WS_TABSTOP);
}

TEST(Resources, InstallIconGroupHasTwoSixteenColourIcons)
{
    HMODULE module = TestSetupModule();
    HRSRC group = FindResourceA(module, "INSTALL", (LPCSTR)RT_GROUP_ICON);
    ASSERT_NE(nullptr, group);
#pragma pack(push, 2)
    struct Entry { BYTE width, height, colours, reserved; WORD planes, bits; DWORD bytes; WORD id; };
    struct Header { WORD reserved, type, count; };
#pragma pack(pop)
    const Header *h = (const Header *)LockResource(LoadResource(module, group));
    ASSERT_EQ(2, h->count);
    const Entry *e = (const Entry *)(h + 1);
    std::vector<int> sizes;
    for (int i = 0; i < h->count; i++) {
        EXPECT_EQ(16, e[i].colours);
        EXPECT_EQ(4, e[i].bits);
        EXPECT_EQ(e[i].width, e[i].height);
        sizes.push_back(e[i].width);
    }
    EXPECT_EQ((std::vector<int>{ 32, 16 }), sizes);
    EXPECT_EQ(nullptr, FindResourceA(module, "Installer", (LPCSTR)RT_GROUP_ICON));
}

TEST(Resources, EveryMessageFitsWithItsLongestArgument)
{
    /* The boxes format into 512 bytes; their arguments are paths of at most
       259 characters (MessageShowFormatted cuts longer ones to that). */
    const UINT formats[] = { 5, 6, 7, 2044, 2045, 2050, 2051, 2052, 2053, 2054, 2055 };
    std::string longest(259, 'W');
    for (UINT id : formats) {
        char format[256];
        int n = LoadStringA(TestSetupModule(), id, format, sizeof format);
        ASSERT_GT(n, 0) << id;
        EXPECT_LT(n, 160) << "format " << id;
        char text[1100];
        int length = wsprintfA(text, format, longest.c_str());
        EXPECT_LT(length, 512) << "message " << id;
    }
    char question[512];
    EXPECT_LT(LoadStringA(TestSetupModule(), 4, question, sizeof question), 511);
}

TEST(Resources, VersionBlockDescribesTheSetupProgramOfTavelin)
{
    std::string path = TestProgramPath();
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), NULL);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO *fixed = NULL;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", (void **)&fixed, &length));
    EXPECT_EQ((DWORD)MAKELONG(TAV_VERSION_MINOR, TAV_VERSION_MAJOR), fixed->dwFileVersionMS);
    EXPECT_EQ((DWORD)MAKELONG(0, TAV_VERSION_PATCH), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
    EXPECT_EQ((DWORD)VFT_APP, fixed->dwFileType);

    WORD *translation = NULL;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", (void **)&translation,
                               &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), translation[0]);
    EXPECT_EQ(1252, translation[1]);

    const std::string version = std::to_string(TAV_VERSION_MAJOR) + "." +
                                std::to_string(TAV_VERSION_MINOR) + "." +
                                std::to_string(TAV_VERSION_PATCH);
    const struct { const char *name; std::string text; } values[] = {
        { "FileDescription", "Programme d'installation de Tavelin, \xE9" "diteur de textes" },
        { "ProductName", "Tavelin" },
        { "LegalCopyright", "\xA9 Les auteurs de Tavelin" },
        { "OriginalFilename", "SETUP.EXE" },
        { "FileVersion", version },
        { "ProductVersion", version },
    };
    for (const auto &value : values) {
        std::string name = std::string("\\StringFileInfo\\040C04E4\\") + value.name;
        char *text = NULL;
        EXPECT_TRUE(VerQueryValueA(block.data(), name.c_str(), (void **)&text, &length)) << name;
        EXPECT_EQ(value.text, std::string(text ? text : "")) << name;
    }
}
