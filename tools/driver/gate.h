#ifndef TAVELIN_TOOLS_DRIVER_GATE_H
#define TAVELIN_TOOLS_DRIVER_GATE_H

/* The gate: what the scripted user and the message hook it places in the
   played program's thread (gate.dll) share, in a file mapping named after
   the program's process id. The program is held at a message it takes from
   its queue while one of its visible windows has not been met yet, or while
   what the scripted user awaits is there; it goes on when the scripted user
   lets it. Fields are of fixed width, and written by one side each: the
   counters move only forward. */

#include <windows.h>

#define GATE_MAPPING_FORMAT L"TavelinGate-%lu"
#define GATE_HELD_FORMAT L"TavelinGate-%lu-held"
#define GATE_GO_FORMAT L"TavelinGate-%lu-go"
#define GATE_HOOK_NAME "GateMessageProc"
/* Timing the life of a window: set by the program when it begins and when
   it ends; opened by name each time, so that a trace of the program's
   server requests shows where the timed span begins and ends. */
#define GATE_TIMED_FORMAT L"TavelinGate-%lu-timed"
#define GATE_TIMING_HOOK_NAME "GateTimingProc"

/* Why the program holds. */
#define GATE_WINDOW 1      /* a visible window not met yet */
#define GATE_AWAITED 2     /* what the scripted user awaits is there */

/* What the scripted user awaits. */
#define GATE_NOTHING 0
#define GATE_PERCENT 1     /* the control reads an integer >= number */
#define GATE_TEXT 2        /* the control's text holds text */
#define GATE_MARK 3        /* the program takes the scripted user's mark: WM_NULL
                              with wParam GATE_MARK_WPARAM and lParam number */
#define GATE_IDLE 4        /* the program has nothing left to do but wait for
                              input, every window painted */

/* The timed window (GateShared::timedPhase). */
#define GATE_TIMED_NONE 0
#define GATE_TIMED_RUNNING 1  /* created; timedStart taken */
#define GATE_TIMED_ENDED 2    /* destroyed; timedEnd taken, the program waits for
                                 timingResumed */

#define GATE_MARK_WPARAM 0x7A7E
#define GATE_SEEN_CAPACITY 256
#define GATE_TEXT_CAPACITY 128

struct GateShared {
    /* the scripted user's side */
    DWORD player;                       /* its process id: when it ends, the program goes free */
    volatile LONG released;             /* the last hold let go */
    volatile LONG seenCount;
    DWORD seen[GATE_SEEN_CAPACITY];     /* windows met, as 32-bit handles */
    volatile LONG awaited;              /* GATE_NOTHING .. GATE_IDLE, written last */
    DWORD awaitedWindow;                /* the dialog of the control */
    LONG awaitedControl;
    LONG awaitedNumber;
    WCHAR awaitedText[GATE_TEXT_CAPACITY];
    volatile LONG timingArmed;          /* time the next top-level window the thread creates */
    volatile LONG timingResumed;        /* the message hook is back: the ended window goes */
    /* the program's side */
    volatile LONG holds;                /* holds taken so far */
    volatile LONG reason;               /* of the hold numbered holds */
    DWORD heldWindow;                   /* GATE_WINDOW: the window not met */
    volatile LONG timedPhase;           /* GATE_TIMED_NONE .. GATE_TIMED_ENDED */
    DWORD timedWindow;
    LONGLONG timedStart;                /* performance counter at its creation */
    LONGLONG timedEnd;                  /* and at the start of its destruction */
    LONGLONG timedFrequency;            /* counts a second */
};

/* The leading integer of a text such as "42 %"; -1 when there is none. */
static inline int GateLeadingInteger(const WCHAR *text)
{
    while (*text == L' ')
        text++;
    if (*text < L'0' || *text > L'9')
        return -1;
    int value = 0;
    while (*text >= L'0' && *text <= L'9' && value < 100000000)
        value = value * 10 + (*text++ - L'0');
    return value;
}

#endif
