#include "tools/driver/internal.h"

#include <stdio.h>

#include <algorithm>
#include <set>

#include "tools/driver/gate.h"


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

/* The button that a user who wants the installation to go on presses in a
   window no step expects: in a message box OK, else Oui (Yes), Réessayer,
   Continuer or Ignorer, else its only button; in a dialog its default
   button unless that one cancels. 0 when there is none to press: the
   backdrop and the progress dialog go on by themselves. */
int GoOnButton(const DriverWindow &w)
{
    if (w.messageBox) {
        for (int id : {IDOK, IDYES, IDRETRY, IDCONTINUE, IDIGNORE})
            if (std::find(w.buttons.begin(), w.buttons.end(), id) != w.buttons.end())
                return id;
        return w.buttons.size() == 1 ? w.buttons[0] : 0;
    }
    DWORD_PTR found = 0;
    if (w.className != "#32770" || !Ask(w.handle, DM_GETDEFID, 0, 0, &found) ||
        HIWORD(found) != DC_HASDEFID)
        return 0;
    int id = (short)LOWORD(found);
    const DriverControl *button = w.Control(id);
    if (id == IDCANCEL || button == nullptr || button->text == "Annuler" ||
        button->text == "Cancel")
        return 0;
    return id;
}

struct Player {
    HANDLE process;
    DWORD processId;
    double startMs;
    double deadlineMs;
    const DriverRun *run;
    const std::vector<DriverStep> *steps;
    DriverResult *result;
    Gate gate;
    std::set<HWND> seen;      /* the program's windows met and still there */
    size_t next = 0;          /* the first step not met yet */
    int numbered = 0;         /* windows written in the transcript */
    int current = 0;          /* the window whose step is being played */
    bool stopped = false;     /* the run ends: the program was ended */
    bool timing = false;      /* a window is timed: the scripted user keeps out of the way */

    bool Ended() const { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }
    bool TimedOut() const { return NowMs() >= deadlineMs; }

    /* A failure of the run. Playing on, the run goes on unless it is fatal
       (a time-out); otherwise the program is ended there. */
    void Fail(const std::string &why, bool fatal)
    {
        result->failures.push_back(why);
        if (result->failure.empty())
            result->failure = why;
        if (run->playOn && !fatal)
            return;
        stopped = true;
        TerminateProcess(process, 255);
        WaitForSingleObject(process, 5000);
    }

    /* What Stop says when a window that was not met shows. */
    static constexpr const char *interrupted = "another window showed first";

    /* Why to stop waiting on the program at window: empty to go on. A
       wait for a text or a percentage also ends when another window shows
       (a box in the middle of the copy); settling does not, as a window
       that shows meanwhile holds the program as well. */
    std::string Stop(HWND window, bool otherWindows) const
    {
        for (HWND other : otherWindows ? VisibleWindows(processId) : std::vector<HWND>())
            if (seen.count(other) == 0)
                return std::string(interrupted) + ": " + Quote(CaptionOf(other));
        if (!IsWindow(window) || Ended())
            return "the window closed";
        if (TimedOut())
            return "time-out";
        return std::string();
    }

    /* Lets the program go and waits until it holds at what was awaited;
       false with *why set otherwise. Held, the program cannot move on while
       the scripted user looks. */
    bool AwaitHold(HWND window, std::string *why)
    {
        gate.Release();
        return gate.WaitHold(GATE_AWAITED, [&] { return Stop(window, true); }, why);
    }

    bool Settle(HWND window, std::string *why)
    {
        return gate.Settle(window, [&] { return Stop(window, false); }, why);
    }

    /* The next step the window matches, passing over optional ones;
       steps->size() when none. */
    size_t Match(const DriverWindow &window) const
    {
        for (size_t j = next; j < steps->size(); j++) {
            if (Matches((*steps)[j], window))
                return j;
            if (!(*steps)[j].optional)
                break;
        }
        return steps->size();
    }

    /* Playing on, a wait that another window interrupts: the windows no
       step expects are met (photographed and answered) and the wait goes
       on; false when one that a step expects came, or one closed first. */
    bool MeetInterruptions()
    {
        for (HWND other : VisibleWindows(processId)) {
            if (seen.count(other) != 0)
                continue;
            std::string unsettled;
            Settle(other, &unsettled);
            if (!IsWindow(other) || !IsWindowVisible(other))
                continue;
            if (Match(Snapshot(other, VisibleWindows(processId), startMs)) != steps->size())
                return false;
            int interrupted = current;
            Meet(other, VisibleWindows(processId));
            current = interrupted;
            if (stopped)
                return false;
            result->transcript += Format("back to window %d\n", current);
        }
        return true;
    }

    /* Runs one action; false with *why set when it cannot be done. Input
       is posted before the program is let go, so that it comes at the point
       where the program was held. */
    bool Do(HWND window, const DriverAction &action, std::string *note, std::string *why)
    {
        switch (action.kind) {
        case DriverAction::Type: {
            HWND edit = ChildById(window, action.id);
            if (edit == NULL) {
                *why = Format("no control %d", action.id);
                return false;
            }
            /* the selection goes first, as with the Delete key, so that
               typing nothing empties the field */
            Ask(edit, EM_SETSEL, 0, (LPARAM)-1, NULL);
            Ask(edit, WM_CLEAR, 0, 0, NULL);
            for (wchar_t c : Wide(action.text))
                PostMessageW(edit, WM_CHAR, (WPARAM)c, 1);
            /* Done when the program has taken every character: a limited
               field keeps only a part. */
            gate.AwaitMark(edit);
            if (!AwaitHold(window, why))
                return false;
            std::string typed = ControlText(edit);
            if (typed != action.text)
                *note = "reads " + Quote(typed);
            return true;
        }
        case DriverAction::Press: {
            HWND button = ChildById(window, action.id);
            if (button == NULL) {
                *why = Format("no control %d", action.id);
                return false;
            }
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(action.id, BN_CLICKED), (LPARAM)button);
            gate.Release();
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
            gate.Release();
            return true;
        }
        case DriverAction::Close:
            PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            gate.Release();
            return true;
        case DriverAction::WaitPercent:
        case DriverAction::WaitText: {
            /* The control of the window, or else of another window of the
               program, the highest first: a wait in the step of a box for
               the dialog under it. */
            HWND holder = window;
            HWND control = ChildById(window, action.id);
            std::vector<HWND> others = VisibleWindows(processId);
            for (auto it = others.rbegin(); control == NULL && it != others.rend(); ++it) {
                holder = *it;
                control = *it != window ? ChildById(*it, action.id) : NULL;
            }
            if (control == NULL) {
                *why = Format("no control %d", action.id);
                return false;
            }
            for (;;) {
                gate.Await(action.kind == DriverAction::WaitText ? GATE_TEXT : GATE_PERCENT,
                           holder, action.id, action.number, action.text);
                bool ok = AwaitHold(holder, why);
                /* Playing on, a window that interrupts the wait is met
                   as the user meets it, and the wait goes on. */
                if (ok || !run->playOn || why->rfind(interrupted, 0) != 0 ||
                    !MeetInterruptions()) {
                    *note = "read " + Quote(ControlText(control));
                    return ok;
                }
            }
        }
        case DriverAction::Shot:
            if (!Settle(window, why))
                return false;
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
        case DriverAction::TimeNextWindow:
            if (!gate.ArmTiming(why))
                return false;
            timing = true;
            return true;
        }
        return false;
    }

    /* Runs the actions on window, writing each in its record and the
       transcript; false at the first that cannot be done. */
    bool Play(HWND window, DriverWindow *snapshot, const std::vector<DriverAction> &actions)
    {
        for (const DriverAction &action : actions) {
            std::string note;
            std::string why;
            bool ok = Do(window, action, &note, &why);
            std::string done = DescribeAction(action);
            if (!note.empty())
                done += " (" + note + ")";
            snapshot->actionsDone.push_back(done);
            result->transcript += Format("  %.0f ms: ", NowMs() - startMs) + done + "\n";
            if (!ok) {
                result->transcript += "  " + why + "\n";
                Fail(why + " in " + DescribeAction(action) + " on " + Quote(snapshot->caption),
                     why == "time-out");
                return false;
            }
        }
        return true;
    }

    /* A window no step expects fails the run. Playing on, it is
       photographed while the program is held there, then answered as a
       user who wants the installation to go on answers it. */
    void Unexpected(HWND window, DriverWindow *snapshot)
    {
        result->transcript += "  unexpected\n";
        Fail("unexpected window " + Quote(snapshot->caption) +
                 (snapshot->messageBox ? " saying " + Quote(snapshot->text) : std::string()),
             false);
        if (stopped)
            return;
        std::vector<DriverAction> answer;
        if (!run->shots.empty()) {
            DriverAction shot;
            shot.kind = DriverAction::Shot;
            shot.text = Format("%s\\unexpected-%02d.bmp", run->shots.c_str(), current);
            answer.push_back(shot);
        }
        int button = GoOnButton(*snapshot);
        if (button != 0) {
            DriverAction press;
            press.kind = DriverAction::Press;
            press.id = button;
            answer.push_back(press);
        }
        Play(window, snapshot, answer);
    }

    /* While a window is timed: waits for its end without looking at the
       program, but for a look a second whether another window showed (a
       box in the middle of the copy, for which the timing gives way); then
       puts the gate back. */
    void AwaitTimed()
    {
        std::string why;
        HANDLE waits[2] = { gate.timed, process };
        for (;;) {
            if (gate.TimedEnded())
                break;
            if (Ended()) {
                why = "the program ended before the timed window";
                break;
            }
            if (TimedOut()) {
                why = "time-out";
                break;
            }
            HWND timed = gate.shared->timedPhase != GATE_TIMED_NONE
                             ? (HWND)(ULONG_PTR)gate.shared->timedWindow
                             : NULL;
            for (HWND other : VisibleWindows(processId))
                if (why.empty() && other != timed && seen.count(other) == 0)
                    why = "another window showed while a window was timed: " +
                          Quote(CaptionOf(other));
            if (!why.empty())
                break;
            WaitForMultipleObjects(2, waits, FALSE, 1000);
        }
        timing = false;
        /* never met: it is going, or was looked at only for the timing */
        if (gate.shared->timedPhase != GATE_TIMED_NONE) {
            HWND timed = (HWND)(ULONG_PTR)gate.shared->timedWindow;
            seen.insert(timed);
            gate.Meet(timed);
        }
        std::string failed;
        double ms = gate.EndTiming(&failed);
        if (why.empty())
            why = failed;
        if (why.empty() && ms >= 0) {
            result->timedMs.push_back(ms);
            result->transcript += Format("timed window: %.3f ms\n", ms);
            return;
        }
        result->transcript += "timed window: no figure, " + why + "\n";
        if (why == "time-out")
            Fail("time-out waiting for the timed window to end", true);
    }

    /* Meets a window that shows: reads it once drawn, then plays the next
       step it matches, or else fails the run as unexpected. */
    void Meet(HWND window, const std::vector<HWND> &visible)
    {
        std::string &transcript = result->transcript;
        seen.insert(window);
        /* read once drawn, and while it cannot change */
        std::string unsettled;
        if (!Settle(window, &unsettled) && !IsWindow(window)) {
            transcript += Format("a window (%p) closed before it could be read\n", (void *)window);
            return;
        }
        DriverWindow snapshot = Snapshot(window, visible, startMs);
        gate.Meet(window);
        if (!IsWindow(window) || !IsWindowVisible(window)) {
            /* Hidden or destroyed between the listing and the reading
               (a progress dialog that goes as it is seen): what was read
               of it may be half its controls, so it is not judged. */
            transcript += Format("a window (%p) closed before it could be read\n", (void *)window);
            return;
        }
        current = ++numbered;
        size_t slot = result->windows.size();
        result->windows.push_back(snapshot);
        transcript += Describe(snapshot, current);

        size_t found = Match(snapshot);
        if (found == steps->size()) {
            Unexpected(window, &snapshot);
        } else {
            next = found + 1;
            transcript += Format("  matches step %d: ", (int)found + 1) +
                          DescribeStep((*steps)[found]) + "\n";
            if (Play(window, &snapshot, (*steps)[found].actions))
                snapshot.answeredMs = NowMs() - startMs;
        }
        result->windows[slot] = snapshot;
        if (!stopped)
            gate.Release();
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
    /* Started suspended, so that the gate is in place before its first
       window. */
    if (!CreateProcessW(Wide(run.program).c_str(), &commandLine[0], NULL, NULL, FALSE,
                        CREATE_SUSPENDED, NULL, directory.empty() ? NULL : directory.c_str(),
                        &startup, &process)) {
        result.failure = Format("cannot start the program (error %lu)", GetLastError());
        result.failures.push_back(result.failure);
        transcript += "failure: " + result.failure + "\n";
        return result;
    }

    Player player;
    player.process = process.hProcess;
    player.processId = process.dwProcessId;
    player.startMs = startMs;
    player.deadlineMs = startMs + run.timeoutMs;
    player.run = &run;
    player.steps = &steps;
    player.result = &result;
    std::string gateDll = run.gate.empty() ? GateBesideThisProgram() : run.gate;
    if (!player.gate.Place(process.dwProcessId, process.dwThreadId, gateDll, &result.failure)) {
        TerminateProcess(process.hProcess, 255);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        player.gate.Remove();
        result.failures.push_back(result.failure);
        transcript += "failure: " + result.failure + "\n";
        return result;
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);

    std::set<HWND> &seen = player.seen;
    while (!player.stopped) {
        bool ended = player.Ended();
        std::vector<HWND> visible = VisibleWindows(process.dwProcessId);
        for (auto it = seen.begin(); it != seen.end();)
            it = IsWindow(*it) ? std::next(it) : seen.erase(it);

        for (HWND window : visible) {
            if (player.stopped)
                break;
            if (seen.count(window) == 0)
                player.Meet(window, visible);
        }
        if (player.stopped)
            break;
        /* A hold for a window met meanwhile (the program looked just before
           the scripted user did) is let go; one for a window not met yet
           waits for the next look. */
        if (player.gate.Holding(GATE_AWAITED) ||
            (player.gate.Holding(GATE_WINDOW) && seen.count(player.gate.HeldWindow()) != 0))
            player.gate.Release();

        if (ended) {
            for (size_t j = player.next; j < steps.size(); j++) {
                if (!steps[j].optional) {
                    player.Fail("the program ended before " + DescribeStep(steps[j]), false);
                    break;
                }
            }
            break;
        }
        if (player.timing) {
            player.AwaitTimed();
            continue;
        }
        if (player.TimedOut()) {
            std::string waited = "the program to end";
            for (size_t j = player.next; j < steps.size(); j++) {
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
            player.Fail("time-out waiting for " + waited, true);
            break;
        }
        Sleep((DWORD)run.pollMs);
    }

    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hProcess);
    transcript += Format("held %ld times\n", player.gate.shared->holds);
    player.gate.Remove();
    result.ok = result.failures.empty();
    transcript += Format("exit code %lu\n", result.exitCode);
    for (const std::string &failure : result.failures)
        transcript += "failure: " + failure + "\n";
    if (result.ok)
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
    DWORD watched = 0;        /* the thread that shows the boxes, held by the gate */
    Gate gate;
    std::vector<DriverWindow> boxes;
};

namespace {

DWORD WINAPI WatchBoxes(LPVOID parameter)
{
    DriverBoxWatch *watch = (DriverBoxWatch *)parameter;
    std::set<HWND> seen;
    DWORD self = GetCurrentProcessId();
    auto stop = [watch] {
        return InterlockedCompareExchange(&watch->stop, 0, 0) != 0 ? "stopped" : "";
    };
    while (InterlockedCompareExchange(&watch->stop, 0, 0) == 0) {
        std::vector<HWND> visible = VisibleWindows(self);
        for (auto it = seen.begin(); it != seen.end();)
            it = IsWindow(*it) ? std::next(it) : seen.erase(it);
        for (HWND window : visible) {
            if (seen.count(window) != 0)
                continue;
            seen.insert(window);
            bool gated = watch->gate.shared != nullptr &&
                         GetWindowThreadProcessId(window, NULL) == watch->watched;
            std::string why;
            if (gated && !watch->gate.Settle(window, stop, &why))
                continue;
            DriverWindow snapshot = Snapshot(window, visible, watch->startMs);
            if (gated)
                watch->gate.Meet(window);
            if (snapshot.messageBox) {
                HWND button = ChildById(window, watch->button);
                PostMessageW(window, WM_COMMAND, MAKEWPARAM(watch->button, BN_CLICKED),
                             (LPARAM)button);
                snapshot.actionsDone.push_back(Format("press %d", watch->button));
                snapshot.answeredMs = NowMs() - watch->startMs;
                watch->boxes.push_back(snapshot);
            }
            if (gated)
                watch->gate.Release();
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
    watch->watched = GetCurrentThreadId();
    std::string why;
    if (!watch->gate.Place(GetCurrentProcessId(), watch->watched, GateBesideThisProgram(), &why)) {
        fprintf(stderr, "scripted user: %s; boxes are read without holding\n", why.c_str());
        watch->gate.Remove();
    }
    watch->thread = CreateThread(NULL, 0, WatchBoxes, watch, 0, NULL);
    return watch;
}

std::vector<DriverWindow> DriverStopWatching(DriverBoxWatch *watch)
{
    InterlockedExchange(&watch->stop, 1);
    WaitForSingleObject(watch->thread, INFINITE);
    CloseHandle(watch->thread);
    watch->gate.Remove();
    std::vector<DriverWindow> boxes = watch->boxes;
    delete watch;
    return boxes;
}
