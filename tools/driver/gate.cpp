#include "tools/driver/internal.h"

#include "tools/driver/gate.h"

namespace driver {

std::string GateBesideThisProgram()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
    std::string self = n > 0 && n < MAX_PATH ? Utf8(path, (int)n) : std::string();
    return self.substr(0, self.find_last_of('\\') + 1) + "gate.dll";
}

HHOOK Gate::PlaceHook(int kind, const char *procName)
{
    HOOKPROC proc = (HOOKPROC)(void (*)(void))GetProcAddress(module, procName);
    return proc != NULL ? SetWindowsHookExW(kind, proc, module, threadId) : NULL;
}

bool Gate::Place(DWORD processId, DWORD threadId, const std::string &dll, std::string *why)
{
    wchar_t name[64];
    wsprintfW(name, GATE_MAPPING_FORMAT, processId);
    mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(GateShared),
                                 name);
    if (mapping != NULL)
        shared = (GateShared *)MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0,
                                             sizeof(GateShared));
    wsprintfW(name, GATE_HELD_FORMAT, processId);
    held = CreateEventW(NULL, FALSE, FALSE, name);
    wsprintfW(name, GATE_GO_FORMAT, processId);
    go = CreateEventW(NULL, FALSE, FALSE, name);
    if (shared == nullptr || held == NULL || go == NULL) {
        *why = Format("cannot share the gate with the program (error %lu)", GetLastError());
        return false;
    }
    /* A gate of this process placed before may still be mapped by the hook
       in it: everything starts again from nothing. */
    ZeroMemory((void *)shared, sizeof(GateShared));
    shared->player = GetCurrentProcessId();
    module = LoadLibraryW(Wide(dll).c_str());
    if (module == NULL) {
        *why = "cannot load the gate " + dll;
        return false;
    }
    this->threadId = threadId;
    wsprintfW(name, GATE_TIMED_FORMAT, processId);
    timed = CreateEventW(NULL, FALSE, FALSE, name);
    hook = PlaceHook(WH_GETMESSAGE, GATE_HOOK_NAME);
    if (hook == NULL || timed == NULL) {
        *why = Format("cannot place the gate's hook (error %lu)", GetLastError());
        return false;
    }
    return true;
}

void Gate::Remove()
{
    for (HHOOK placed : { hook, timingHook })
        if (placed != NULL)
            UnhookWindowsHookEx(placed);
    if (shared != nullptr) {
        /* a timed window that ends now is not held either */
        InterlockedExchange(&shared->timingResumed, 1);
        /* nothing held any longer, should the hook still be running */
        InterlockedExchange(&shared->awaited, GATE_NOTHING);
        Release();
    }
    if (module != NULL)
        FreeLibrary(module);
    if (shared != nullptr)
        UnmapViewOfFile((void *)shared);
    for (HANDLE handle : { mapping, held, go, timed })
        if (handle != NULL)
            CloseHandle(handle);
    *this = Gate();
}

void Gate::Meet(HWND window)
{
    LONG count = shared->seenCount;
    if (count >= GATE_SEEN_CAPACITY)
        return;
    shared->seen[count] = (DWORD)(ULONG_PTR)window;
    InterlockedExchange(&shared->seenCount, count + 1);
}

bool Gate::Holding(LONG reason) const
{
    if (shared->holds <= shared->released)
        return false;
    return reason == 0 || shared->reason == reason;
}

HWND Gate::HeldWindow() const
{
    return (HWND)(ULONG_PTR)shared->heldWindow;
}

void Gate::Release()
{
    LONG holds = shared->holds;
    if (holds > shared->released) {
        InterlockedExchange(&shared->released, holds);
        SetEvent(go);
    }
}

void Gate::Await(LONG kind, HWND window, int control, int number, const std::string &text)
{
    shared->awaitedWindow = (DWORD)(ULONG_PTR)window;
    shared->awaitedControl = control;
    shared->awaitedNumber = number;
    lstrcpynW(shared->awaitedText, Wide(text).c_str(), GATE_TEXT_CAPACITY);
    InterlockedExchange(&shared->awaited, kind);
}

void Gate::AwaitMark(HWND window)
{
    LONG mark = ++marks;
    Await(GATE_MARK, NULL, 0, mark, "");
    PostMessageW(window, WM_NULL, GATE_MARK_WPARAM, mark);
}

bool Gate::WaitHold(LONG reason, const std::function<std::string()> &stop, std::string *why)
{
    for (;;) {
        if (Holding(reason))
            return true;
        std::string now = stop();
        if (!now.empty()) {
            *why = now;
            return false;
        }
        WaitForSingleObject(held, 20);
    }
}

bool Gate::Settle(HWND window, const std::function<std::string()> &stop, std::string *why)
{
    if (Holding())
        return true;
    Await(GATE_IDLE, NULL, 0, 0, "");
    /* a message through its loop, after which it finds nothing to do */
    PostMessageW(window, WM_NULL, 0, 0);
    bool ok = WaitHold(0, stop, why);
    Await(GATE_NOTHING, NULL, 0, 0, "");
    return ok;
}

bool Gate::ArmTiming(std::string *why)
{
    if (timingHook != NULL) {
        *why = "a window is timed already";
        return false;
    }
    /* The program is held or has not created the window yet: nothing of it
       writes these now. */
    shared->timedPhase = GATE_TIMED_NONE;
    shared->timingResumed = 0;
    ResetEvent(timed);
    timingHook = PlaceHook(WH_CBT, GATE_TIMING_HOOK_NAME);
    if (timingHook == NULL) {
        *why = Format("cannot place the timing hook (error %lu)", GetLastError());
        return false;
    }
    InterlockedExchange(&shared->timingArmed, 1);
    UnhookWindowsHookEx(hook);
    hook = NULL;
    return true;
}

bool Gate::TimedEnded() const
{
    return shared->timedPhase == GATE_TIMED_ENDED;
}

double Gate::EndTiming(std::string *why)
{
    hook = PlaceHook(WH_GETMESSAGE, GATE_HOOK_NAME);
    if (hook == NULL)
        *why = Format("cannot place the gate's hook again (error %lu)", GetLastError());
    InterlockedExchange(&shared->timingArmed, 0);
    UnhookWindowsHookEx(timingHook);
    timingHook = NULL;
    double ms = -1;
    if (TimedEnded() && shared->timedFrequency > 0)
        ms = (double)(shared->timedEnd - shared->timedStart) * 1000.0 /
             (double)shared->timedFrequency;
    InterlockedExchange(&shared->timingResumed, 1);
    SetEvent(go);
    return ms;
}

}  // namespace driver
