#ifndef TAVELIN_TOOLS_DRIVER_INTERNAL_H
#define TAVELIN_TOOLS_DRIVER_INTERNAL_H

/* What the files of the scripted user share among themselves; the callers
   see only driver.h. */

#include "tools/driver/driver.h"

#include <functional>
#include <string>
#include <vector>

struct GateShared;

namespace driver {

/* text.cpp */
std::string Utf8(const wchar_t *text, int length = -1);
std::wstring Wide(const std::string &text, UINT codePage = CP_UTF8);
std::string Quote(const std::string &text);   /* in double quotes, CR and LF written \r and \n */
std::string Format(const char *format, ...);
double NowMs();

/* snapshot.cpp: the windows of another process */
/* A message sent to a window of the program, answered even while the gate
   holds it; the time limit only guards against a program that hangs. */
bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR *result);
std::string ClassOf(HWND window);
std::string CaptionOf(HWND window);
std::string ControlText(HWND control);
std::vector<HWND> ChildrenOf(HWND parent);
HWND ChildById(HWND parent, int id);
std::vector<HWND> VisibleWindows(DWORD processId);
/* appearedMs counts from startMs; visible gives the othersVisible */
DriverWindow Snapshot(HWND window, const std::vector<HWND> &visible, double startMs);

/* capture.cpp */
std::string DetectIcon(HWND box);

/* transcript.cpp: windows, steps and actions as the transcript writes them */
std::string Describe(const DriverWindow &w, int number);
std::string DescribeStep(const DriverStep &step);
std::string DescribeAction(const DriverAction &action);

/* gate.cpp: the scripted user's side of the gate (gate.h) placed in one
   thread of a program, which holds that thread where the scripted user
   must look before it goes on. */
struct Gate {
    HANDLE mapping = NULL;
    GateShared *shared = nullptr;
    HANDLE held = NULL;       /* set by the program at each hold */
    HANDLE go = NULL;         /* set to let a hold go */
    HMODULE module = NULL;
    HHOOK hook = NULL;
    HHOOK timingHook = NULL;  /* while a window is timed */
    HANDLE timed = NULL;      /* set by the program when the timed window begins or ends */
    DWORD threadId = 0;
    LONG marks = 0;

    HHOOK PlaceHook(int kind, const char *procName);
    /* Before the thread shows anything: the shared record, and the hook. */
    bool Place(DWORD processId, DWORD threadId, const std::string &dll, std::string *why);
    void Remove();
    /* A window the scripted user has met: the program is not held for it. */
    void Meet(HWND window);
    /* Whether the program holds now, for that reason (0: any). */
    bool Holding(LONG reason = 0) const;
    HWND HeldWindow() const;
    void Release();
    /* What the program is to be held at next (GATE_PERCENT ...). */
    void Await(LONG kind, HWND window, int control, int number, const std::string &text);
    /* Posts the scripted user's mark to window, behind what it posted
       before, and awaits it: the program holds once it has handled all. */
    void AwaitMark(HWND window);
    /* Waits until the program holds for that reason (0: any); between two
       looks stop() says why to give up, or nothing. */
    bool WaitHold(LONG reason, const std::function<std::string()> &stop, std::string *why);
    /* Unless the program holds already, waits until it has nothing left to
       do but wait for input, or holds for a window: what it shows then is
       drawn, and stays so while the scripted user looks. */
    bool Settle(HWND window, const std::function<std::string()> &stop, std::string *why);
    /* Times the next top-level window the thread creates, from its creation
       to the start of its destruction: the timing hook goes in, the message
       hook out, so that nothing of the scripted user runs in the program
       meanwhile. */
    bool ArmTiming(std::string *why);
    /* Whether the timed window has ended (the program then waits). */
    bool TimedEnded() const;
    /* The message hook back, the timing hook out, the program let go; the
       timed window's life in milliseconds, or -1 when it did not end. */
    double EndTiming(std::string *why);
};
/* gate.dll beside the calling program (the tests and userdriver.exe are
   built beside it). */
std::string GateBesideThisProgram();

}  // namespace driver

#endif
