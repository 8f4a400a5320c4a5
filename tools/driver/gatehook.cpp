/* gate.dll: the message hooks the scripted user places in the thread of the
   program it plays, so that the program cannot pass between two looks of
   the scripted user a point it waits for. At each message the thread takes
   from its queue (paints aside, which are the program's own drawing of what
   it did) the gate holds it while one of its visible windows has not been
   met yet, or while what the scripted user awaits is there: a text, a
   percentage, the mark it posted, or nothing left to do but wait for input.
   Holding, the thread still answers the messages sent
   to it (the scripted user reads controls by messages), and it goes on when
   the scripted user lets it or ends. Nothing of the program changes: the
   hooks come from outside, and none posts, drops or reorders a message of
   the program. Without the scripted user's mapping (another process) the
   hooks do nothing.

   To time a window's life without an observer in the way (a copy the
   progress dialog shows), the scripted user takes the message hook off
   and places the timing hook (WH_CBT), which runs only when a window is
   made or destroyed: it takes the performance counter when the thread
   creates its next top-level window and when that window's destruction
   begins, and then holds the thread until the message hook is back. */
#include <windows.h>

#include <wchar.h>

#include "tools/driver/gate.h"

static GateShared *shared;
static HANDLE heldEvent;
static HANDLE goEvent;
static HANDLE player;
static int opened;

/* Opened at the first message, in the program's thread, so that the loader
   lock is not held. */
static int GateOpen(void)
{
    if (opened)
        return shared != NULL;
    opened = 1;
    WCHAR name[64];
    DWORD self = GetCurrentProcessId();
    wsprintfW(name, GATE_MAPPING_FORMAT, self);
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
    if (mapping == NULL)
        return 0;
    /* The view stays for the life of the process; the handle is not needed. */
    shared = (GateShared *)MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0,
                                         sizeof(GateShared));
    CloseHandle(mapping);
    wsprintfW(name, GATE_HELD_FORMAT, self);
    heldEvent = OpenEventW(EVENT_MODIFY_STATE, FALSE, name);
    wsprintfW(name, GATE_GO_FORMAT, self);
    goEvent = OpenEventW(SYNCHRONIZE, FALSE, name);
    if (shared != NULL)
        player = OpenProcess(SYNCHRONIZE, FALSE, shared->player);
    if (shared == NULL || heldEvent == NULL || goEvent == NULL || player == NULL) {
        shared = NULL;
        return 0;
    }
    return 1;
}

static int GateSeen(HWND window)
{
    DWORD handle = (DWORD)(ULONG_PTR)window;
    LONG count = shared->seenCount;
    if (count > GATE_SEEN_CAPACITY)
        count = GATE_SEEN_CAPACITY;
    for (LONG i = 0; i < count; i++)
        if (shared->seen[i] == handle)
            return 1;
    return 0;
}

/* Whether a window or one of its controls has yet to paint itself. */
static int GateUnpainted(HWND window)
{
    if (GetUpdateRect(window, NULL, FALSE))
        return 1;
    for (HWND child = GetWindow(window, GW_CHILD); child != NULL;
         child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && GetUpdateRect(child, NULL, FALSE))
            return 1;
    return 0;
}

/* A window not met yet is held for once it shows what it is: before it has
   painted itself, the program goes on to paint it. */
static BOOL CALLBACK GateFindUnseen(HWND window, LPARAM found)
{
    if (IsWindowVisible(window) && !GateSeen(window) && !GateUnpainted(window)) {
        *(HWND *)found = window;
        return FALSE;
    }
    return TRUE;
}

/* The gate's own timer: its message comes only when the thread has nothing
   else to take, every window painted; it names no window, so the program's
   loops hand it to nobody. */
static UINT_PTR idleTimer;

static int GateIsIdleTimer(const MSG *message)
{
    return idleTimer != 0 && message->message == WM_TIMER && message->hwnd == NULL &&
           message->wParam == idleTimer;
}

static int GateAwaitedThere(const MSG *message)
{
    LONG awaited = shared->awaited;
    MemoryBarrier();
    if (awaited == GATE_IDLE) {
        if (GateIsIdleTimer(message))
            return 1;
        if (idleTimer == 0)
            idleTimer = SetTimer(NULL, 0, USER_TIMER_MINIMUM, NULL);
        return 0;
    }
    if (awaited == GATE_MARK)
        return message->message == WM_NULL && message->wParam == GATE_MARK_WPARAM &&
               message->lParam == shared->awaitedNumber;
    if (awaited != GATE_PERCENT && awaited != GATE_TEXT)
        return 0;
    /* The program's own control, read in its own thread. */
    HWND control = GetDlgItem((HWND)(ULONG_PTR)shared->awaitedWindow, shared->awaitedControl);
    if (control == NULL)
        return 0;
    WCHAR text[GATE_TEXT_CAPACITY];
    GetWindowTextW(control, text, GATE_TEXT_CAPACITY);
    if (awaited == GATE_PERCENT)
        return GateLeadingInteger(text) >= shared->awaitedNumber;
    WCHAR wanted[GATE_TEXT_CAPACITY];
    lstrcpynW(wanted, shared->awaitedText, GATE_TEXT_CAPACITY);
    return wcsstr(text, wanted) != NULL;
}

/* Waits until the scripted user has moved *value up to at least number,
   answering what is sent meanwhile. The wait of a message-waiting thread
   also lets the system show what the thread has drawn. */
static void GateWaitFor(volatile LONG *value, LONG number)
{
    HANDLE waits[2] = { goEvent, player };
    while (*value < number) {
        DWORD woken = MsgWaitForMultipleObjects(2, waits, FALSE, 500, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0 + 1) {
            /* the scripted user is gone: the program is let go for good */
            shared = NULL;
            return;
        }
        MSG ignored;
        PeekMessageW(&ignored, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

/* Holds until the scripted user lets this hold go. */
static void GateHold(LONG reason, HWND window)
{
    shared->reason = reason;
    shared->heldWindow = (DWORD)(ULONG_PTR)window;
    LONG number = InterlockedIncrement(&shared->holds);
    SetEvent(heldEvent);
    GateWaitFor(&shared->released, number);
}

/* Holds as long as a window is not met or the awaited is there; each hold
   let go is looked at again, as the scripted user may await the next thing
   at once. */
static void GateCheck(const MSG *message)
{
    while (shared != NULL) {
        HWND unseen = NULL;
        EnumThreadWindows(GetCurrentThreadId(), GateFindUnseen, (LPARAM)&unseen);
        if (unseen != NULL) {
            GateHold(GATE_WINDOW, unseen);
            continue;
        }
        if (!GateAwaitedThere(message))
            return;
        InterlockedExchange(&shared->awaited, GATE_NOTHING);
        GateHold(GATE_AWAITED, NULL);
    }
}

extern "C" __declspec(dllexport) LRESULT CALLBACK GateMessageProc(int code, WPARAM wParam,
                                                                  LPARAM lParam)
{
    const MSG *message = (const MSG *)lParam;
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message != WM_PAINT && GateOpen()) {
        GateCheck(message);
        /* the timer ends with the wait for it */
        if (GateIsIdleTimer(message) || (idleTimer != 0 && shared != NULL &&
                                          shared->awaited != GATE_IDLE)) {
            KillTimer(NULL, idleTimer);
            idleTimer = 0;
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

/* The timed window begins or ends: the scripted user is told through the
   event, opened by name. */
static void GateSignalTimed(void)
{
    WCHAR name[64];
    wsprintfW(name, GATE_TIMED_FORMAT, GetCurrentProcessId());
    HANDLE timed = OpenEventW(EVENT_MODIFY_STATE, FALSE, name);
    if (timed != NULL) {
        SetEvent(timed);
        CloseHandle(timed);
    }
}

extern "C" __declspec(dllexport) LRESULT CALLBACK GateTimingProc(int code, WPARAM wParam,
                                                                 LPARAM lParam)
{
    if (GateOpen()) {
        LARGE_INTEGER now;
        if (code == HCBT_CREATEWND && shared->timingArmed &&
            shared->timedPhase == GATE_TIMED_NONE &&
            (((const CBT_CREATEWNDW *)lParam)->lpcs->style & WS_CHILD) == 0) {
            LARGE_INTEGER frequency;
            QueryPerformanceFrequency(&frequency);
            shared->timedFrequency = frequency.QuadPart;
            shared->timedWindow = (DWORD)(ULONG_PTR)wParam;
            GateSignalTimed();
            QueryPerformanceCounter(&now);
            shared->timedStart = now.QuadPart;
            InterlockedExchange(&shared->timedPhase, GATE_TIMED_RUNNING);
        } else if (code == HCBT_DESTROYWND && shared->timedPhase == GATE_TIMED_RUNNING &&
                   shared->timedWindow == (DWORD)(ULONG_PTR)wParam) {
            QueryPerformanceCounter(&now);
            shared->timedEnd = now.QuadPart;
            InterlockedExchange(&shared->timedPhase, GATE_TIMED_ENDED);
            GateSignalTimed();
            /* until the message hook is back, so that the windows that
               follow are held for */
            GateWaitFor(&shared->timingResumed, 1);
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}
