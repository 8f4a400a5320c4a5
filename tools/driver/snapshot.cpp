#include "tools/driver/internal.h"

#include <algorithm>

namespace driver {

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

bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR *result)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 60000,
                               result != NULL ? result : &ignored) != 0;
}

/* The text of a control: asked from the control itself (an edit control of
   another process keeps its text to itself). */
std::string ControlText(HWND control)
{
    DWORD_PTR length = 0;
    if (!Ask(control, WM_GETTEXTLENGTH, 0, 0, &length))
        return std::string();
    std::wstring buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!Ask(control, WM_GETTEXT, (WPARAM)(length + 1), (LPARAM)&buffer[0], &copied))
        return std::string();
    if (copied > length)
        copied = length;
    return Utf8(buffer.c_str(), (int)copied);
}

/* One sibling at a time, each asked of the server on its own: GetDlgItem
   and EnumChildWindows ask for the first child, then for the list of its
   siblings, and when the dialog is being destroyed in between (its children
   let go one by one) Wine 10's server loops for good on that list, and every
   program of the desktop waits on it. This walk just stops early. */
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

namespace {

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

}  // namespace

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

namespace {

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

}  // namespace

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

}  // namespace driver

HWND DriverChild(HWND window, int id)
{
    return driver::ChildById(window, id);
}

const DriverControl *DriverWindow::Control(int id) const
{
    for (const DriverControl &control : controls)
        if (control.id == id)
            return &control;
    return nullptr;
}
