#include "tests/e2e/support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include <sstream>

namespace {

std::wstring Wide(const std::string &text)
{
    return DriverWide(text);
}

void RemoveTree(const std::wstring &path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring full = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

void MakeDirectories(const std::wstring &path)
{
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos;
         at = path.find(L'\\', at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), NULL);
    CreateDirectoryW(path.c_str(), NULL);
}

}  // namespace

std::string TestBuildPath(const char *name)
{
    const char *dir = getenv("TAV_BUILD_DIR");
    EXPECT_NE(dir, nullptr) << "TAV_BUILD_DIR is not set";
    std::string path = std::string("Z:") + (dir ? dir : "") + "/" + name;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string TestProgramPath(const char *program)
{
    return TestBuildPath((std::string(program) + ".EXE").c_str());
}

HMODULE TestSetupModule()
{
    static HMODULE module =
        LoadLibraryExA(TestProgramPath().c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

std::string TestDir()
{
    const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test != nullptr
                           ? std::string(test->test_suite_name()) + "." + test->name()
                           : std::string("outside");
    for (char &c : name)
        if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?')
            c = '_';
    std::string dir = "C:\\tests\\" + name;
    RemoveTree(Wide(dir));
    MakeDirectories(Wide(dir));
    DWORD attributes = GetFileAttributesW(Wide(dir).c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        << "cannot create " << dir;
    return dir;
}

const char kShippedProgram[] = "SETUP";
const char kCountingProgram[] = "SETUPCNT";

const char kTitle[] = "Installation de Tavelin";
const char kSuccess[] =
    "Installation normalement terminée. Une icône \"Tavelin\" a été créée sur votre bureau "
    "ainsi qu'un dossier dans votre menu \"Démarrer\\programmes\".";
const char kIncomplete[] =
    "L'installation n'a pas été effectuée correctement dans sa totalité ! Vous devriez "
    "réinstaller après correction du problème !";
const char kCancelled[] = "Installation abandonnée.";
const char kAppPaths[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tavelin.exe";
const char kUninstall[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string TestScript(const std::string &files, const std::string &sections,
                       const std::string &settings)
{
    return "[Installer]\r\nApplication=Tavelin\r\nTitre=" + std::string(kTitle) + "\r\n" +
           settings + "[Fichiers]\r\n" + files + sections;
}

void TestMakeDist(const std::string &dir, const std::string &script, const TestFiles &files,
                  const char *program)
{
    MakeDirectories(Wide(dir));
    std::string exe = dir + "\\" + program + ".EXE";
    ASSERT_TRUE(CopyFileW(Wide(TestProgramPath(program)).c_str(), Wide(exe).c_str(), FALSE))
        << "cannot copy " << program << ".EXE to " << dir;
    TestWriteFile(dir + "\\" + program + ".INF", script);
    for (const auto &file : files)
        TestWriteFile(dir + "\\" + file.first, file.second);
}

std::string TestDist(const std::string &script, const TestFiles &files, const char *program)
{
    std::string dir = TestDir();
    TestMakeDist(dir, script, files, program);
    return dir;
}

void TestWriteFile(const std::string &path, const std::string &bytes)
{
    std::wstring wide = Wide(path);
    size_t slash = wide.rfind(L'\\');
    if (slash != std::wstring::npos && slash > 2)
        MakeDirectories(wide.substr(0, slash));
    ASSERT_TRUE(DriverWriteFile(path, bytes)) << "cannot write " << path;
}

bool TestReadFile(const std::string &path, std::string *bytes)
{
    return DriverReadFile(path, bytes);
}

void TestExpectFile(const std::string &path, const std::string &bytes)
{
    std::string got;
    ASSERT_TRUE(TestReadFile(path, &got)) << path;
    EXPECT_EQ(bytes.size(), got.size()) << path;
    EXPECT_TRUE(bytes == got) << path << " differs from its source";
}

bool TestOnWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::string TestProgramFilesDir()
{
    return TestOnWow64() ? "C:\\Program Files (x86)" : "C:\\Program Files";
}

std::string TestSystemDir()
{
    return TestWindowsDir() + (TestOnWow64() ? "\\SysWOW64" : "\\System32");
}

namespace {

std::string ReadString(HKEY root, const std::string &path, const std::string &name, REGSAM view)
{
    std::string value;
    return DriverReadRegistryString(root, path, name, &value, view) ? value : "(none)";
}

bool StartsWith(const std::string &path, const char *prefix)
{
    size_t n = strlen(prefix);
    return path.size() >= n && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str(),
                                              (int)n, prefix, (int)n) == CSTR_EQUAL;
}

}  // namespace

std::string TestRegistryString(HKEY root, const std::string &path, const std::string &name)
{
    std::string value = ReadString(root, path, name, 0);
    if (!TestOnWow64())
        return value;
    /* "Registry Keys Affected by WOW64", Windows 7 and later. */
    std::string where = (root == HKEY_CLASSES_ROOT ? "HKEY_CLASSES_ROOT\\" : "") + path;
    bool shared = root == HKEY_CLASSES_ROOT || StartsWith(path, "Software\\Classes\\") ||
                  StartsWith(path, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths");
    if (shared) {
        EXPECT_EQ(value, ReadString(root, path, name, KEY_WOW64_64KEY))
            << where << " is shared: 64-bit programs read what the 32-bit program wrote";
    } else if (root == HKEY_LOCAL_MACHINE && StartsWith(path, "Software\\") &&
               value != "(none)") {
        EXPECT_EQ(value, ReadString(root, "Software\\Wow6432Node\\" + path.substr(9), name,
                                    KEY_WOW64_64KEY))
            << where << " of a 32-bit program lies under Software\\Wow6432Node";
        EXPECT_NE(value, ReadString(root, path, name, KEY_WOW64_64KEY))
            << where << " is redirected: the 64-bit view does not hold it";
    }
    return value;
}

void TestSetRegistryString(HKEY root, const std::string &path, const std::string &name,
                           const std::string &value)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL,
                                             &key, NULL)) << path;
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, (const BYTE *)value.c_str(),
                   (DWORD)value.size() + 1);
    RegCloseKey(key);
}

void TestDeleteRegistryValue(HKEY root, const std::string &path, const std::string &name)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, &key)) << path;
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

TestCounts TestReadCounts(const std::string &file)
{
    TestCounts counts;
    std::string text;
    if (!TestReadFile(file, &text))
        return counts;
    std::istringstream lines(text);
    std::string kind, name;
    long count;
    while (lines >> kind >> name >> count)
        (kind == "held" ? counts.held : counts.made)[name] = count;
    return counts;
}

const std::map<std::string, long> kTestNothingHeld = {
    { "com", 0 }, { "gdi-objects", 0 }, { "memory-dcs", 0 }, { "paints", 0 },
    { "registry-keys", 0 }, { "window-dcs", 0 } };

DriverAction CountHeldFiles(const std::vector<std::string> &paths, int *held)
{
    *held = -1;
    return Call([paths, held] {
        int count = 0;
        for (const std::string &path : paths) {
            HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
            if (f == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION)
                count++;
            if (f != INVALID_HANDLE_VALUE)
                CloseHandle(f);
        }
        *held = count;
    });
}

DriverResult TestPlayProgram(const std::string &program, const std::string &cwd,
                             const std::vector<DriverStep> &steps, int timeoutMs)
{
    DriverRun run;
    run.program = program;
    run.directory = cwd;
    run.timeoutMs = timeoutMs;
    DriverResult result = DriverPlay(run, steps);
    if (!result.ok)
        std::cout << "---- transcript of the run\n" << result.transcript << "----\n";
    return result;
}

DriverResult TestPlay(const std::string &dir, const std::vector<DriverStep> &steps,
                      const std::string &cwd, const char *program)
{
    return TestPlayProgram(dir + "\\" + program + ".EXE", cwd.empty() ? dir : cwd, steps);
}

DriverStep Expect(const std::string &match, std::vector<DriverAction> actions,
                  const std::string &className, bool optional)
{
    DriverStep step;
    step.match = match;
    step.className = className;
    step.optional = optional;
    step.actions = std::move(actions);
    return step;
}

static DriverAction MakeAction(DriverAction::Kind kind, int id = 0, int number = 0,
                               const std::string &text = "")
{
    DriverAction action;
    action.kind = kind;
    action.id = id;
    action.number = number;
    action.text = text;
    return action;
}

DriverAction Press(int id) { return MakeAction(DriverAction::Press, id); }
DriverAction Type(int id, const std::string &text) { return MakeAction(DriverAction::Type, id, 0, text); }
DriverAction Escape() { return MakeAction(DriverAction::Escape); }
DriverAction Enter() { return MakeAction(DriverAction::Enter); }
DriverAction Close() { return MakeAction(DriverAction::Close); }
DriverAction WaitPercent(int id, int n) { return MakeAction(DriverAction::WaitPercent, id, n); }
DriverAction WaitText(int id, const std::string &text) { return MakeAction(DriverAction::WaitText, id, 0, text); }
DriverAction Shot(const std::string &path) { return MakeAction(DriverAction::Shot, 0, 0, path); }
DriverAction SleepFor(int ms) { return MakeAction(DriverAction::Sleep, 0, ms); }
DriverAction TimeNextWindow() { return MakeAction(DriverAction::TimeNextWindow); }

DriverAction Call(std::function<void()> what)
{
    DriverAction action = MakeAction(DriverAction::Call);
    action.call = std::move(what);
    return action;
}

int TestScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int TestScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

static DriverStep ExpectDialog(const char *control, std::vector<DriverAction> actions,
                               bool optional)
{
    DriverStep step = Expect("", std::move(actions), "#32770", optional);
    step.control = control;
    return step;
}

DriverStep ExpectBackdrop()
{
    return Expect("", {}, "Installer");
}

DriverStep ExpectDirectory(std::vector<DriverAction> actions)
{
    return ExpectDialog("&Installer", std::move(actions), false);
}

DriverStep ExpectProgress(std::vector<DriverAction> actions, bool optional)
{
    return ExpectDialog("Avancement global", std::move(actions), optional);
}

DriverStep ExpectRegistration(std::vector<DriverAction> actions)
{
    return ExpectDialog("Types:", std::move(actions), false);
}

DriverStep InstallTo(const std::string &dir)
{
    return ExpectDirectory({ Type(IDC_DIRECTORY_PATH, dir), Press(IDC_DIRECTORY_INSTALL) });
}

DriverStep Question(int answer)
{
    return Expect("Souhaitez vous configurer", { Press(answer) });
}

DriverStep Closing(const std::string &text)
{
    return Expect(text, { Press(IDOK) });
}

const DriverWindow *TestFindBox(const DriverResult &result, const std::string &text)
{
    for (const DriverWindow &w : result.windows)
        if (w.messageBox && w.text.find(text) != std::string::npos)
            return &w;
    return nullptr;
}

bool TestExists(const std::string &path)
{
    return GetFileAttributesA(DriverToAnsi(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TestWindowsDir()
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return dir;
}

void TestWriteSparse(const std::string &path, long long size)
{
    HANDLE f = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, f) << "cannot create " << path;
    LARGE_INTEGER end;
    end.QuadPart = size;
    bool ok = SetFilePointerEx(f, end, NULL, FILE_BEGIN) && SetEndOfFile(f);
    CloseHandle(f);
    ASSERT_TRUE(ok) << "cannot make " << path << " " << size << " bytes long";
}

long long TestFileSize(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (long long)data.nFileSizeHigh << 32 | data.nFileSizeLow;
}

COLORREF TestShotPixel(const std::string &bmp, int x, int y)
{
    int width = *(const int *)(bmp.data() + 18);
    int height = *(const int *)(bmp.data() + 22);
    unsigned offset = *(const unsigned *)(bmp.data() + 10);
    int row = (width * 3 + 3) & ~3;
    const unsigned char *p =
        (const unsigned char *)bmp.data() + offset + (size_t)(height - 1 - y) * row + x * 3;
    return RGB(p[2], p[1], p[0]);
}

std::string TestBytes(size_t n, unsigned seed)
{
    std::string s(n, '\0');
    unsigned x = seed * 2654435761u + 1;
    for (size_t i = 0; i < n; i++) {
        x = x * 1103515245u + 12345u;
        s[i] = (char)(x >> 16);
    }
    return s;
}
