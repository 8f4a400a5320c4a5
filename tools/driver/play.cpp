#include "tools/driver/internal.h"

#include <algorithm>
#include <set>

using namespace driver;

namespace {

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
            /* The control is named before the key goes: the key may end
               the dialog, and its controls with it, before a look after. */
            if (target != window)
                *note = Format("to control %d", (short)GetDlgCtrlID(target));
            WPARAM key = action.kind == DriverAction::Escape ? VK_ESCAPE : VK_RETURN;
            UINT scan = MapVirtualKeyW((UINT)key, MAPVK_VK_TO_VSC);
            PostMessageW(target, WM_KEYDOWN, key, (LPARAM)(1 | (scan << 16)));
            PostMessageW(target, WM_KEYUP, key, (LPARAM)(1 | (scan << 16) | 0xC0000000u));
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
        case DriverAction::Call:
            if (action.call)
                action.call();
            return true;
        }
        return false;
    }
};

}  // namespace

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
