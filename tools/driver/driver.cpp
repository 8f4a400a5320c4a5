#include "tools/driver/driver.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <set>

namespace {

/* ---- Text ---------------------------------------------------------------- */

std::string Utf8(const wchar_t *text, int length = -1)
{
    if (length < 0)
        length = (int)wcslen(text);
    if (length == 0)
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text, length, NULL, 0, NULL, NULL);
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], n, NULL, NULL);
    return out;
}

std::wstring Wide(const std::string &text, UINT codePage = CP_UTF8)
{
    if (text.empty())
        return std::wstring();
    int n = MultiByteToWideChar(codePage, 0, text.data(), (int)text.size(), NULL, 0);
    std::wstring out((size_t)n, L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), (int)text.size(), &out[0], n);
    return out;
}

std::string Quote(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out + "\"";
}

/* Captions and control texts can be long: the line is never cut, so it
   keeps its end of line. */
std::string Format(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int length = vsnprintf(NULL, 0, format, args);
    va_end(args);
    if (length <= 0)
        return "";
    std::string out((size_t)length + 1, '\0');
    va_start(args, format);
    vsnprintf(&out[0], out.size(), format, args);
    va_end(args);
    out.resize((size_t)length);
    return out;
}

/* ---- Clock --------------------------------------------------------------- */

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

/* ---- Windows of another process ----------------------------------------- */

std::string ClassOf(HWND window)
{
    wchar_t name[256];
    int n = GetClassNameW(window, name, 256);
    return n > 0 ? Utf8(name, n) : std::string();
}

/* The caption of a top-level window: the system's copy, read without a
   message, so a busy program cannot block the reader. */
std::string CaptionOf(HWND window)
{
    wchar_t text[1024];
    int n = GetWindowTextW(window, text, 1024);
    return n > 0 ? Utf8(text, n) : std::string();
}

/* The text of a control: asked from the control itself (an edit control of
   another process keeps its text to itself). */
std::string ControlText(HWND control)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 1000, &length))
        return std::string();
    std::wstring buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, (WPARAM)(length + 1), (LPARAM)&buffer[0],
                             SMTO_ABORTIFHUNG, 1000, &copied))
        return std::string();
    if (copied > length)
        copied = length;
    return Utf8(buffer.c_str(), (int)copied);
}

std::vector<HWND> ChildrenOf(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child != NULL;
         child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

HWND ChildById(HWND parent, int id)
{
    for (HWND child : ChildrenOf(parent))
        if ((short)GetDlgCtrlID(child) == id)
            return child;
    return NULL;
}

struct EnumContext {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectVisible(HWND window, LPARAM parameter)
{
    EnumContext *context = (EnumContext *)parameter;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == context->processId && IsWindowVisible(window))
        context->windows.push_back(window);
    return TRUE;
}

/* Visible top-level windows of a process, from the bottom of the z order to
   the top: the later shown lies higher. */
std::vector<HWND> VisibleWindows(DWORD processId)
{
    EnumContext context;
    context.processId = processId;
    EnumWindows(CollectVisible, (LPARAM)&context);
    std::reverse(context.windows.begin(), context.windows.end());
    return context.windows;
}

/* ---- Screen capture and icons -------------------------------------------- */

/* Pixels as 0x00RRGGBB, rows from the top. */
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<DWORD> data;
    DWORD At(int x, int y) const { return data[(size_t)y * (size_t)width + (size_t)x]; }
};

HBITMAP CreateTopDownDib(HDC dc, int width, int height, void **bits)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, NULL, 0);
}

bool CaptureScreen(const RECT &area, Pixels *out)
{
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return false;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    void *bits = NULL;
    HBITMAP bitmap = CreateTopDownDib(screen, width, height, &bits);
    bool ok = false;
    if (bitmap != NULL) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != 0;
        GdiFlush();
        if (ok) {
            out->width = width;
            out->height = height;
            out->data.assign((const DWORD *)bits, (const DWORD *)bits + (size_t)width * height);
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return ok;
}

/* A system icon as the icon static paints it: drawn to the static's size
   over the background colour. */
Pixels RenderIcon(HICON icon, int width, int height, COLORREF background)
{
    Pixels out;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    void *bits = NULL;
    HBITMAP bitmap = CreateTopDownDib(screen, width, height, &bits);
    if (bitmap != NULL) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        HBRUSH brush = CreateSolidBrush(background);
        RECT all = { 0, 0, width, height };
        FillRect(memory, &all, brush);
        DeleteObject(brush);
        DrawIconEx(memory, 0, 0, icon, width, height, 0, NULL, DI_NORMAL);
        GdiFlush();
        out.width = width;
        out.height = height;
        out.data.assign((const DWORD *)bits, (const DWORD *)bits + (size_t)width * height);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return out;
}

/* Share of the pixels that differ by more than a rounding error. */
double Difference(const Pixels &a, const Pixels &b)
{
    if (a.width != b.width || a.height != b.height || a.data.empty())
        return 1.0;
    size_t differing = 0;
    for (size_t i = 0; i < a.data.size(); i++) {
        DWORD p = a.data[i];
        DWORD q = b.data[i];
        int worst = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            int d = abs((int)((p >> shift) & 0xFF) - (int)((q >> shift) & 0xFF));
            worst = std::max(worst, d);
        }
        if (worst > 24)
            differing++;
    }
    return (double)differing / (double)a.data.size();
}

COLORREF ToColorRef(DWORD pixel)
{
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

/* The icon of a message box, told by its pixels: the icon static (Wine
   0x440, Windows 0x14) is compared with each system icon drawn over the
   dialog's own background. Until the box is painted nothing matches, so the
   capture is retried for a second. */
std::string DetectIcon(HWND box)
{
    HWND iconStatic = NULL;
    for (HWND child : ChildrenOf(box)) {
        int id = (short)GetDlgCtrlID(child);
        if ((id == 0x440 || id == 0x14) && ClassOf(child) == "Static" && IsWindowVisible(child))
            iconStatic = child;
    }
    /* Wine keeps an empty icon static in a box without icon. */
    DWORD_PTR icon = 0;
    if (iconStatic == NULL ||
        (SendMessageTimeoutW(iconStatic, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 1000, &icon) &&
         icon == 0))
        return "none";

    static const struct {
        WORD resource;
        const char *name;
    } icons[] = {
        { 32513, "error" },        /* IDI_HAND */
        { 32516, "information" },  /* IDI_ASTERISK */
        { 32514, "question" },     /* IDI_QUESTION */
        { 32515, "warning" },      /* IDI_EXCLAMATION */
    };

    double deadline = NowMs() + 1000;
    for (;;) {
        RECT client;
        GetClientRect(iconStatic, &client);
        MapWindowPoints(iconStatic, NULL, (POINT *)&client, 2);
        /* The background: the dialog's face as painted just left of the
           static (Wine paints COLOR_BTNFACE there), and that colour itself. */
        RECT probe = { client.left - 2, client.top, client.left - 1, client.top + 1 };
        Pixels captured;
        Pixels backgroundPixel;
        if (CaptureScreen(client, &captured) && CaptureScreen(probe, &backgroundPixel)) {
            std::vector<COLORREF> backgrounds = { ToColorRef(backgroundPixel.At(0, 0)),
                                                  GetSysColor(COLOR_BTNFACE) };
            double best = 1.0;
            double second = 1.0;
            const char *bestName = NULL;
            for (const auto &icon : icons) {
                double score = 1.0;
                HICON handle = LoadIconW(NULL, MAKEINTRESOURCEW(icon.resource));
                for (COLORREF background : backgrounds)
                    score = std::min(score, Difference(captured, RenderIcon(handle, captured.width,
                                                                            captured.height,
                                                                            background)));
                if (score < best) {
                    second = best;
                    best = score;
                    bestName = icon.name;
                } else if (score < second) {
                    second = score;
                }
            }
            /* Under Wine the right icon matches to the pixel; information
               and question, the closest pair, differ in 7 % of the pixels. */
            if (bestName != NULL && best <= 0.01 && second >= 0.03)
                return bestName;
        }
        if (NowMs() >= deadline)
            return "unknown";
        Sleep(50);
    }
}

}  // namespace

bool DriverSaveScreen(const std::string &path)
{
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    RECT all = { 0, 0, width, height };
    Pixels pixels;
    if (!CaptureScreen(all, &pixels))
        return false;
    int stride = (width * 3 + 3) & ~3;
    std::string data((size_t)stride * height, '\0');
    for (int y = 0; y < height; y++) {
        char *row = &data[(size_t)(height - 1 - y) * stride];
        for (int x = 0; x < width; x++) {
            DWORD p = pixels.At(x, y);
            row[x * 3 + 0] = (char)(p & 0xFF);
            row[x * 3 + 1] = (char)((p >> 8) & 0xFF);
            row[x * 3 + 2] = (char)((p >> 16) & 0xFF);
        }
    }
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = (DWORD)(file.bfOffBits + data.size());
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = (DWORD)data.size();
    HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(handle, &file, sizeof file, &written, NULL) && written == sizeof file &&
              WriteFile(handle, &info, sizeof info, &written, NULL) && written == sizeof info &&
              WriteFile(handle, data.data(), (DWORD)data.size(), &written, NULL) &&
              written == data.size();
    CloseHandle(handle);
    return ok;
}

bool DriverClickAt(int x, int y)
{
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    if (width < 2 || height < 2)
        return false;
    INPUT input[3] = {};
    for (INPUT &i : input)
        i.type = INPUT_MOUSE;
    /* absolute positions run from 0 to 65535 over the screen */
    input[0].mi.dx = MulDiv(x, 65535, width - 1);
    input[0].mi.dy = MulDiv(y, 65535, height - 1);
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(3, input, sizeof input[0]) == 3;
}

namespace {

/* ---- Snapshots ----------------------------------------------------------- */

bool LooksLikeMessageBox(const DriverWindow &window)
{
    if (window.className != "#32770")
        return false;
    bool text = false;
    for (const DriverControl &control : window.controls) {
        if (control.className == "Edit")
            return false;
        if (control.className == "Button" && (control.id < 0 || control.id >= 12))
            return false;
        if (control.className == "Static" && control.id == -1)
            text = true;
    }
    return text;
}

std::string OwnerOf(HWND window)
{
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner == NULL)
        return "none";
    if (ClassOf(owner) == "Installer")
        return "backdrop";
    return CaptionOf(owner);
}

DriverWindow Snapshot(HWND window, const std::vector<HWND> &visible, double startMs)
{
    DriverWindow w;
    w.handle = window;
    w.appearedMs = NowMs() - startMs;
    w.className = ClassOf(window);
    w.caption = CaptionOf(window);
    w.owner = OwnerOf(window);
    GetWindowRect(window, &w.rect);
    for (HWND child : ChildrenOf(window)) {
        DriverControl control;
        control.id = (short)GetDlgCtrlID(child);
        control.className = ClassOf(child);
        control.text = ControlText(child);
        w.controls.push_back(control);
    }
    for (HWND other : visible)
        if (other != window)
            w.othersVisible.push_back(CaptionOf(other));
    w.messageBox = LooksLikeMessageBox(w);
    if (w.messageBox) {
        for (const DriverControl &control : w.controls)
            if (control.className == "Static" && control.id == -1)
                w.text = control.text;
        for (HWND child : ChildrenOf(window))
            if (ClassOf(child) == "Button" && IsWindowVisible(child))
                w.buttons.push_back((short)GetDlgCtrlID(child));
        w.icon = DetectIcon(window);
    }
    return w;
}

std::string Describe(const DriverWindow &w, int number)
{
    std::string out = Format("window %d at %.0f ms: class %s, caption %s\n", number, w.appearedMs,
                             w.className.c_str(), Quote(w.caption).c_str());
    out += Format("  owner %s, rect %ld,%ld %ldx%ld\n", w.owner == "none" || w.owner == "backdrop"
                                                            ? w.owner.c_str()
                                                            : Quote(w.owner).c_str(),
                  w.rect.left, w.rect.top, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top);
    if (w.messageBox) {
        out += "  message box: " + Quote(w.text) + "\n  buttons";
        for (int id : w.buttons)
            out += Format(" %d", id);
        out += ", icon " + w.icon + "\n";
    }
    for (const std::string &other : w.othersVisible)
        out += "  also visible: " + Quote(other) + "\n";
    for (const DriverControl &control : w.controls)
        out += Format("  control %d %s %s\n", control.id, control.className.c_str(),
                      Quote(control.text).c_str());
    return out;
}

/* ---- Matching and actions ------------------------------------------------ */

bool Matches(const DriverStep &step, const DriverWindow &window)
{
    if (!step.className.empty() && step.className != window.className)
        return false;
    if (!step.control.empty()) {
        bool found = false;
        for (const DriverControl &control : window.controls)
            found = found || control.text.find(step.control) != std::string::npos;
        if (!found)
            return false;
    }
    if (step.match.empty())
        return true;
    if (window.caption.find(step.match) != std::string::npos)
        return true;
    return window.messageBox && window.text.find(step.match) != std::string::npos;
}

std::string DescribeStep(const DriverStep &step)
{
    std::string out = "window " + Quote(step.match);
    if (!step.className.empty())
        out += " class " + step.className;
    if (!step.control.empty())
        out += " control " + Quote(step.control);
    if (step.optional)
        out += " optional";
    return out;
}

std::string DescribeAction(const DriverAction &action)
{
    switch (action.kind) {
    case DriverAction::Type:
        return Format("type %d ", action.id) + Quote(action.text);
    case DriverAction::Press:
        return Format("press %d", action.id);
    case DriverAction::Escape:
        return "escape";
    case DriverAction::Enter:
        return "enter";
    case DriverAction::Close:
        return "close";
    case DriverAction::WaitPercent:
        return Format("wait-percent %d %d", action.id, action.number);
    case DriverAction::WaitText:
        return Format("wait-text %d ", action.id) + Quote(action.text);
    case DriverAction::Shot:
        return "shot " + action.text;
    case DriverAction::Sleep:
        return Format("sleep %d", action.number);
    }
    return "?";
}

/* The leading integer of a text such as "42 %"; -1 when there is none. */
int LeadingInteger(const std::string &text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        i++;
    if (i >= text.size() || text[i] < '0' || text[i] > '9')
        return -1;
    int value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && value < 100000000)
        value = value * 10 + (text[i++] - '0');
    return value;
}

struct Player {
    HANDLE process;
    double startMs;
    double deadlineMs;

    bool Ended() const { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }
    bool TimedOut() const { return NowMs() >= deadlineMs; }

    /* Waits until done() holds; false with *why set otherwise. */
    template <typename Done>
    bool WaitUntil(HWND window, Done done, std::string *why)
    {
        for (;;) {
            if (done())
                return true;
            if (!IsWindow(window) || Ended()) {
                *why = "the window closed";
                return false;
            }
            if (TimedOut()) {
                *why = "time-out";
                return false;
            }
            Sleep(10);
        }
    }

    /* Runs one action; false with *why set when it cannot be done. */
    bool Do(HWND window, const DriverAction &action, std::string *note, std::string *why)
    {
        switch (action.kind) {
        case DriverAction::Type: {
            HWND edit = ChildById(window, action.id);
            if (edit == NULL) {
                *why = Format("no control %d", action.id);
                return false;
            }
            DWORD_PTR ignored;
            SendMessageTimeoutW(edit, EM_SETSEL, 0, (LPARAM)-1, SMTO_ABORTIFHUNG, 1000, &ignored);
            /* the selection goes first, as with the Delete key, so that
               typing nothing empties the field */
            SendMessageTimeoutW(edit, WM_CLEAR, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored);
            for (wchar_t c : Wide(action.text))
                PostMessageW(edit, WM_CHAR, (WPARAM)c, 1);
            /* Done when the text reads as typed, or when it has stopped
               changing (a limited field keeps only a part). */
            std::string last = ControlText(edit);
            double stableSince = NowMs();
            bool ok = WaitUntil(window, [&] {
                std::string now = ControlText(edit);
                if (now == action.text)
                    return true;
                if (now != last) {
                    last = now;
                    stableSince = NowMs();
                }
                return NowMs() - stableSince > 500;
            }, why);
            if (ok && last != action.text && ControlText(edit) != action.text)
                *note = "reads " + Quote(ControlText(edit));
            return ok;
        }
        case DriverAction::Press: {
            HWND button = ChildById(window, action.id);
            if (button == NULL) {
                *why = Format("no control %d", action.id);
                return false;
            }
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(action.id, BN_CLICKED), (LPARAM)button);
            return true;
        }
        case DriverAction::Escape:
        case DriverAction::Enter: {
            /* To the focused control, as the keyboard would: the dialog's
               IsDialogMessage makes it IDCANCEL or the default button. */
            HWND target = window;
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            if (GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &info) &&
                info.hwndFocus != NULL && IsChild(window, info.hwndFocus))
                target = info.hwndFocus;
            WPARAM key = action.kind == DriverAction::Escape ? VK_ESCAPE : VK_RETURN;
            UINT scan = MapVirtualKeyW((UINT)key, MAPVK_VK_TO_VSC);
            PostMessageW(target, WM_KEYDOWN, key, (LPARAM)(1 | (scan << 16)));
            PostMessageW(target, WM_KEYUP, key, (LPARAM)(1 | (scan << 16) | 0xC0000000u));
            if (target != window)
                *note = Format("to control %d", (short)GetDlgCtrlID(target));
            return true;
        }
        case DriverAction::Close:
            PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            return true;
        case DriverAction::WaitPercent:
        case DriverAction::WaitText: {
            HWND control = ChildById(window, action.id);
            if (control == NULL) {
                *why = Format("no control %d", action.id);
                return false;
            }
            std::string text;
            bool ok = WaitUntil(window, [&] {
                /* The note keeps the last text read while the control was
                   there, not the empty answer of a control being destroyed. */
                std::string now = ControlText(control);
                if (IsWindow(control))
                    text = now;
                if (action.kind == DriverAction::WaitText)
                    return text.find(action.text) != std::string::npos;
                return LeadingInteger(text) >= action.number;
            }, why);
            *note = "read " + Quote(text);
            return ok;
        }
        case DriverAction::Shot:
            if (!DriverSaveScreen(action.text)) {
                *why = "cannot write the screenshot";
                return false;
            }
            return true;
        case DriverAction::Sleep:
            Sleep((DWORD)std::max(0, action.number));
            return true;
        }
        return false;
    }
};

}  // namespace

const DriverControl *DriverWindow::Control(int id) const
{
    for (const DriverControl &control : controls)
        if (control.id == id)
            return &control;
    return nullptr;
}

DriverResult DriverPlay(const DriverRun &run, const std::vector<DriverStep> &steps)
{
    DriverResult result;
    std::string &transcript = result.transcript;
    transcript = "program " + run.program + "\n";
    if (!run.directory.empty())
        transcript += "directory " + run.directory + "\n";

    std::wstring commandLine = L"\"" + Wide(run.program) + L"\"";
    std::wstring directory = Wide(run.directory);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    double startMs = NowMs();
    if (!CreateProcessW(Wide(run.program).c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL,
                        directory.empty() ? NULL : directory.c_str(), &startup, &process)) {
        result.failure = Format("cannot start the program (error %lu)", GetLastError());
        transcript += "failure: " + result.failure + "\n";
        return result;
    }
    CloseHandle(process.hThread);

    Player player;
    player.process = process.hProcess;
    player.startMs = startMs;
    player.deadlineMs = startMs + run.timeoutMs;

    std::set<HWND> seen;
    size_t next = 0;
    bool failed = false;

    auto fail = [&](const std::string &why) {
        result.failure = why;
        failed = true;
        TerminateProcess(process.hProcess, 255);
        WaitForSingleObject(process.hProcess, 5000);
    };

    while (!failed) {
        bool ended = player.Ended();
        std::vector<HWND> visible = VisibleWindows(process.dwProcessId);
        for (auto it = seen.begin(); it != seen.end();)
            it = IsWindow(*it) ? std::next(it) : seen.erase(it);

        for (HWND window : visible) {
            if (failed || seen.count(window) != 0)
                continue;
            seen.insert(window);
            DriverWindow snapshot = Snapshot(window, visible, startMs);
            if (!IsWindow(window) || !IsWindowVisible(window)) {
                /* Hidden or destroyed between the listing and the reading
                   (a progress dialog that goes as it is seen): what was read
                   of it may be half its controls, so it is not judged. */
                transcript += Format("a window (%p) closed before it could be read\n",
                                     (void *)window);
                continue;
            }
            int number = (int)result.windows.size() + 1;
            transcript += Describe(snapshot, number);

            /* The next step that matches, passing over optional ones. */
            size_t found = steps.size();
            for (size_t j = next; j < steps.size(); j++) {
                if (Matches(steps[j], snapshot)) {
                    found = j;
                    break;
                }
                if (!steps[j].optional)
                    break;
            }
            if (found == steps.size()) {
                result.windows.push_back(snapshot);
                transcript += "  unexpected\n";
                fail("unexpected window " + Quote(snapshot.caption) +
                     (snapshot.messageBox ? " saying " + Quote(snapshot.text) : std::string()));
                break;
            }
            next = found + 1;
            transcript += Format("  matches step %d: ", (int)found + 1) + DescribeStep(steps[found]) +
                          "\n";

            for (const DriverAction &action : steps[found].actions) {
                std::string note;
                std::string why;
                bool ok = player.Do(window, action, &note, &why);
                std::string done = DescribeAction(action);
                if (!note.empty())
                    done += " (" + note + ")";
                snapshot.actionsDone.push_back(done);
                transcript += Format("  %.0f ms: ", NowMs() - startMs) + done + "\n";
                if (!ok) {
                    transcript += "  " + why + "\n";
                    result.windows.push_back(snapshot);
                    fail(why + " in " + DescribeAction(action) + " on " +
                         Quote(snapshot.caption));
                    break;
                }
            }
            if (failed)
                break;
            snapshot.answeredMs = NowMs() - startMs;
            result.windows.push_back(snapshot);
        }
        if (failed)
            break;

        if (ended) {
            for (size_t j = next; j < steps.size(); j++) {
                if (!steps[j].optional) {
                    result.failure = "the program ended before " + DescribeStep(steps[j]);
                    failed = true;
                    break;
                }
            }
            break;
        }
        if (player.TimedOut()) {
            std::string waited = "the program to end";
            for (size_t j = next; j < steps.size(); j++) {
                if (!steps[j].optional) {
                    waited = DescribeStep(steps[j]);
                    break;
                }
            }
            std::string others;
            for (HWND window : visible)
                others += (others.empty() ? "" : ", ") + Quote(CaptionOf(window));
            if (!others.empty())
                transcript += "still visible: " + others + "\n";
            fail("time-out waiting for " + waited);
            break;
        }
        Sleep((DWORD)run.pollMs);
    }

    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hProcess);
    result.ok = !failed;
    transcript += Format("exit code %lu\n", result.exitCode);
    if (failed)
        transcript += "failure: " + result.failure + "\n";
    else
        transcript += "ok\n";
    return result;
}

/* ---- Scenario text ------------------------------------------------------- */

namespace {

struct Cursor {
    const std::string &line;
    size_t at = 0;

    void Blanks()
    {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
            at++;
    }
    bool AtEnd()
    {
        Blanks();
        return at >= line.size();
    }
    /* A bare word, or a quoted string where "" stands for one quote. */
    bool Word(std::string *out, bool *quoted = nullptr)
    {
        Blanks();
        out->clear();
        if (quoted)
            *quoted = false;
        if (at >= line.size())
            return false;
        if (line[at] == '"') {
            if (quoted)
                *quoted = true;
            at++;
            for (;;) {
                if (at >= line.size())
                    return false;
                if (line[at] == '"') {
                    if (at + 1 < line.size() && line[at + 1] == '"') {
                        *out += '"';
                        at += 2;
                        continue;
                    }
                    at++;
                    return true;
                }
                *out += line[at++];
            }
        }
        while (at < line.size() && line[at] != ' ' && line[at] != '\t')
            *out += line[at++];
        return true;
    }
    bool Number(int *out)
    {
        std::string word;
        if (!Word(&word) || word.empty())
            return false;
        char *end = nullptr;
        long value = strtol(word.c_str(), &end, 0);
        if (*end != '\0')
            return false;
        *out = (int)value;
        return true;
    }
    /* The rest of the line, unquoted if quoted. */
    bool Rest(std::string *out)
    {
        Blanks();
        if (at < line.size() && line[at] == '"')
            return Word(out) && AtEnd();
        *out = line.substr(at);
        while (!out->empty() && (out->back() == ' ' || out->back() == '\t'))
            out->pop_back();
        at = line.size();
        return !out->empty();
    }
};

}  // namespace

bool DriverParseScenario(const std::string &text, std::vector<DriverStep> *steps,
                         std::string *error)
{
    steps->clear();
    size_t start = 0;
    int number = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        number++;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
            line.erase(0, 3);

        Cursor cursor{ line };
        if (cursor.AtEnd() || line[cursor.at] == '#')
            continue;
        bool indented = line[0] == ' ' || line[0] == '\t';
        auto bad = [&](const std::string &why) {
            *error = Format("line %d: ", number) + why;
            return false;
        };

        std::string word;
        cursor.Word(&word);
        if (!indented) {
            if (word != "window")
                return bad("expected \"window\", found \"" + word + "\"");
            DriverStep step;
            if (!cursor.Word(&step.match))
                return bad("window: missing text");
            while (!cursor.AtEnd()) {
                cursor.Word(&word);
                if (word == "class") {
                    if (!cursor.Word(&step.className) || step.className.empty())
                        return bad("class: missing name");
                } else if (word == "control") {
                    if (!cursor.Word(&step.control) || step.control.empty())
                        return bad("control: missing text");
                } else if (word == "optional") {
                    step.optional = true;
                } else {
                    return bad("unknown word \"" + word + "\"");
                }
            }
            steps->push_back(step);
            continue;
        }

        if (steps->empty())
            return bad("an action before any window");
        DriverAction action;
        bool ok = true;
        if (word == "type") {
            action.kind = DriverAction::Type;
            ok = cursor.Number(&action.id) && cursor.Word(&action.text);
        } else if (word == "press") {
            action.kind = DriverAction::Press;
            ok = cursor.Number(&action.id);
        } else if (word == "escape") {
            action.kind = DriverAction::Escape;
        } else if (word == "enter") {
            action.kind = DriverAction::Enter;
        } else if (word == "close") {
            action.kind = DriverAction::Close;
        } else if (word == "wait-percent") {
            action.kind = DriverAction::WaitPercent;
            ok = cursor.Number(&action.id) && cursor.Number(&action.number);
        } else if (word == "wait-text") {
            action.kind = DriverAction::WaitText;
            ok = cursor.Number(&action.id) && cursor.Word(&action.text);
        } else if (word == "shot") {
            action.kind = DriverAction::Shot;
            ok = cursor.Rest(&action.text);
        } else if (word == "sleep") {
            action.kind = DriverAction::Sleep;
            ok = cursor.Number(&action.number);
        } else {
            return bad("unknown action \"" + word + "\"");
        }
        if (!ok || !cursor.AtEnd())
            return bad("bad arguments to " + word);
        steps->back().actions.push_back(action);
    }
    return true;
}

/* ---- Message boxes of the calling process -------------------------------- */

struct DriverBoxWatch {
    HANDLE thread = NULL;
    volatile LONG stop = 0;
    int button = IDOK;
    double startMs = 0;
    std::vector<DriverWindow> boxes;
};

namespace {

DWORD WINAPI WatchBoxes(LPVOID parameter)
{
    DriverBoxWatch *watch = (DriverBoxWatch *)parameter;
    std::set<HWND> seen;
    DWORD self = GetCurrentProcessId();
    while (InterlockedCompareExchange(&watch->stop, 0, 0) == 0) {
        std::vector<HWND> visible = VisibleWindows(self);
        for (auto it = seen.begin(); it != seen.end();)
            it = IsWindow(*it) ? std::next(it) : seen.erase(it);
        for (HWND window : visible) {
            if (seen.count(window) != 0)
                continue;
            seen.insert(window);
            DriverWindow snapshot = Snapshot(window, visible, watch->startMs);
            if (!snapshot.messageBox)
                continue;
            HWND button = ChildById(window, watch->button);
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(watch->button, BN_CLICKED),
                         (LPARAM)button);
            snapshot.actionsDone.push_back(Format("press %d", watch->button));
            snapshot.answeredMs = NowMs() - watch->startMs;
            watch->boxes.push_back(snapshot);
        }
        Sleep(5);
    }
    return 0;
}

}  // namespace

DriverBoxWatch *DriverWatchOwnBoxes(int button)
{
    DriverBoxWatch *watch = new DriverBoxWatch;
    watch->button = button;
    watch->startMs = NowMs();
    watch->thread = CreateThread(NULL, 0, WatchBoxes, watch, 0, NULL);
    return watch;
}

std::vector<DriverWindow> DriverStopWatching(DriverBoxWatch *watch)
{
    InterlockedExchange(&watch->stop, 1);
    WaitForSingleObject(watch->thread, INFINITE);
    CloseHandle(watch->thread);
    std::vector<DriverWindow> boxes = watch->boxes;
    delete watch;
    return boxes;
}

/* ---- What an installation left ------------------------------------------ */

bool DriverReadRegistryString(HKEY root, const std::string &path, const std::string &name,
                              std::string *value)
{
    HKEY key;
    if (RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    std::wstring valueName = Wide(name);
    const wchar_t *namePointer = name.empty() ? NULL : valueName.c_str();
    DWORD type = 0;
    DWORD size = 0;
    bool ok = false;
    if (RegQueryValueExW(key, namePointer, NULL, &type, NULL, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = (DWORD)(buffer.size() * sizeof(wchar_t));
        if (RegQueryValueExW(key, namePointer, NULL, &type, (BYTE *)&buffer[0], &bytes) ==
            ERROR_SUCCESS) {
            buffer.resize(bytes / sizeof(wchar_t));
            while (!buffer.empty() && buffer.back() == L'\0')
                buffer.pop_back();
            *value = Utf8(buffer.c_str(), (int)buffer.size());
            ok = true;
        }
    }
    RegCloseKey(key);
    return ok;
}

bool DriverRegistryKeyExists(HKEY root, const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool DriverReadShortcut(const std::string &path, DriverShortcut *shortcut)
{
    HRESULT initialized = CoInitialize(NULL);
    bool ok = false;
    IShellLinkW *link = NULL;
    IPersistFile *file = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   (void **)&link)) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file)) &&
        SUCCEEDED(file->Load(Wide(path).c_str(), STGM_READ))) {
        wchar_t buffer[MAX_PATH * 2] = {};
        ok = true;
        if (SUCCEEDED(link->GetPath(buffer, MAX_PATH * 2, NULL, SLGP_RAWPATH)))
            shortcut->target = Utf8(buffer);
        else
            ok = false;
        buffer[0] = L'\0';
        if (SUCCEEDED(link->GetDescription(buffer, MAX_PATH * 2)))
            shortcut->description = Utf8(buffer);
        buffer[0] = L'\0';
        int index = 0;
        if (SUCCEEDED(link->GetIconLocation(buffer, MAX_PATH * 2, &index))) {
            shortcut->iconPath = Utf8(buffer);
            shortcut->iconIndex = index;
        }
        int show = 0;
        if (SUCCEEDED(link->GetShowCmd(&show)))
            shortcut->showCommand = show;
        /* Wine's loader drops the show command (GetShowCmd then says
           SW_SHOWNORMAL), so it is read from the file's header as well:
           a 0x4C-byte header whose ShowCommand lies at offset 0x3C. */
        HANDLE handle = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                                    OPEN_EXISTING, 0, NULL);
        if (handle != INVALID_HANDLE_VALUE) {
            BYTE header[0x4C];
            DWORD got = 0;
            if (ReadFile(handle, header, sizeof header, &got, NULL) && got == sizeof header &&
                header[0] == 0x4C && header[1] == 0 && header[2] == 0 && header[3] == 0)
                shortcut->showCommand = (int)(header[0x3C] | header[0x3D] << 8 |
                                              header[0x3E] << 16 | (DWORD)header[0x3F] << 24);
            CloseHandle(handle);
        }
    }
    if (file != NULL)
        file->Release();
    if (link != NULL)
        link->Release();
    if (SUCCEEDED(initialized))
        CoUninitialize();
    return ok;
}

std::string DriverFromAnsi(const std::string &text)
{
    std::wstring wide = Wide(text, 1252);
    return Utf8(wide.c_str(), (int)wide.size());
}

std::string DriverToAnsi(const std::string &text)
{
    std::wstring wide = Wide(text);
    if (wide.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), (int)wide.size(), NULL, 0, NULL, NULL);
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), (int)wide.size(), &out[0], n, NULL, NULL);
    return out;
}

std::wstring DriverWide(const std::string &text)
{
    return Wide(text);
}

std::string DriverUtf8(const wchar_t *text)
{
    return Utf8(text);
}

bool DriverReadFile(const std::string &path, std::string *bytes)
{
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes->clear();
    char buffer[8192];
    DWORD got = 0;
    BOOL ok;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, NULL)) && got > 0)
        bytes->append(buffer, got);
    CloseHandle(file);
    return ok != FALSE;
}

bool DriverWriteFile(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = bytes.empty() ||
              (WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL) &&
               written == bytes.size());
    CloseHandle(file);
    return ok;
}
