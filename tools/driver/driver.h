#ifndef TAVELIN_TOOLS_DRIVER_H
#define TAVELIN_TOOLS_DRIVER_H

/* The scripted user: starts SETUP.EXE, records every top-level window of its
   process as it appears, answers each one as a scenario says, and reads back
   what an installation left (registry values, shortcut files).
   All texts in this API are UTF-8.

   The library, a job a file: text.cpp (conversions, the clock), snapshot.cpp
   (reading the windows of another process), capture.cpp (the screen and the
   icons of message boxes), transcript.cpp (how windows, steps and actions
   are written down), scenario.cpp (the scenario text), play.cpp (playing it,
   the real mouse, the boxes of the calling process), readback.cpp (registry
   values, shortcuts, whole files); internal.h is what they share. */

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct DriverControl {
    int id;                   /* (short) control id: -1 for 0xFFFF */
    std::string className;    /* "Button", "Edit", "Static", ... */
    std::string text;
};

struct DriverWindow {
    HWND handle = NULL;
    std::string className;    /* "#32770" for dialogs and message boxes */
    std::string caption;
    bool messageBox = false;  /* a system message box */
    std::string text;         /* message box: its text */
    std::vector<int> buttons; /* message box: ids of its buttons (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7) */
    std::string icon;         /* message box: "error", "information", "question", "warning", "none" or "unknown" */
    std::string owner;        /* "none", "backdrop" (the window of class "Installer"), or the owner's caption */
    RECT rect = {};           /* screen rectangle */
    std::vector<DriverControl> controls;      /* every child window, in z order */
    std::vector<std::string> othersVisible;   /* captions of the process's other visible top-level windows */
    double appearedMs = 0;    /* since the program was started */
    double answeredMs = 0;    /* when the last action of its step was done */
    std::vector<std::string> actionsDone;     /* as written in the transcript */

    const DriverControl *Control(int id) const;   /* null when absent */
};

/* What the scripted user does with one window. */
struct DriverAction {
    enum Kind {
        Type,        /* put text into control id (select all, then typed character by character) */
        Press,       /* click button id (BN_CLICKED to its dialog) */
        Escape,      /* the Escape key */
        Enter,       /* the Enter key */
        Close,       /* the close box (WM_SYSCOMMAND SC_CLOSE) */
        WaitPercent, /* wait until the text of control id reads an integer >= number;
                        the program is then held there until the step goes on */
        WaitText,    /* wait until the text of control id contains text (held as well);
                        control id of the window, or else of another of the program */
        Shot,        /* save a screenshot of the whole screen to text (a Windows path, .bmp) */
        Sleep,       /* wait number milliseconds */
        Call,        /* run call: a look or a deed of the test's own while the window
                        shows, the program held where the step left it (the
                        command-line form has none) */
        TimeNextWindow /* time the life of the next top-level window the program
                        creates (the progress dialog after a press), from its
                        creation to the start of its destruction, in the
                        program's own thread: the scripted user neither looks
                        at the program nor runs anything in it meanwhile, only
                        looks once a second whether another window showed
                        (then there is no figure). That window is never met. */
    };
    Kind kind;
    int id = 0;
    int number = 0;
    std::string text;
    std::function<void()> call;
};

/* One expected window. The next window of the process that appears must
   match the next step whose 'optional' flag is off; optional steps may be
   passed over (a window the program may or may not show). The program is
   held until each window it shows has been met, so none comes and goes
   unseen. */
struct DriverStep {
    std::string match;        /* must occur in the caption or the message-box text; empty: any */
    std::string className;    /* if not empty, must equal the window class */
    bool optional = false;
    std::string control;      /* if not empty, must occur in the text of one of its controls */
    std::vector<DriverAction> actions;
};

struct DriverRun {
    std::string program;      /* Windows path of SETUP.EXE */
    std::string directory;    /* current directory of the process */
    int timeoutMs = 300000;   /* for the whole run: a safety net, far above any healthy run */
    int pollMs = 5;           /* pause between two looks at the windows */
    std::string gate;         /* Windows path of gate.dll; empty: beside the calling program */
    /* Playing on: a window that no step expects does not end the run. It is
       photographed while the program is held there (into shots, as
       unexpected-NN.bmp, NN its number in the transcript, when shots is
       given), answered as a user who wants the installation to go on
       answers it (GoOnButton in play.cpp: OK in a message box, else Oui,
       else its only button; a dialog's default button unless it cancels;
       nothing in the backdrop or the progress dialog), and the scenario goes
       on; a wait that such a window interrupts goes on once it is answered.
       An action that cannot be done skips the rest of its step. The run is
       not ok all the same, and every failure is kept. Off, the first
       failure ends the program and the run. */
    bool playOn = false;
    std::string shots;        /* Windows folder of the unexpected windows' screenshots */
};

struct DriverResult {
    bool ok = false;          /* every non-optional step met, nothing unexpected, process ended */
    std::string failure;      /* why not ok: the first failure */
    std::vector<std::string> failures;   /* every failure, in order (several only playing on) */
    DWORD exitCode = 0;
    std::vector<DriverWindow> windows;   /* in order of appearance */
    std::string transcript;   /* readable: every window, its controls and the answers */
    std::vector<double> timedMs;         /* each timed window's life, in order */
};

/* The whole screen as it is now, saved as a 24-bit BMP at a Windows path
   (what the Shot action does). */
bool DriverSaveScreen(const std::string &path);
/* A click of the real left mouse button at a point of the screen, through
   the system's input queue as the user's mouse gives it (Press posts the
   button's command instead). */
bool DriverClickAt(int x, int y);

/* The control `id` of a window of another process, or NULL; safe to call
   while that window is being destroyed, where GetDlgItem can hang Wine 10. */
HWND DriverChild(HWND window, int id);

/* Starts the program suspended, places the gate (gate.dll) in its thread,
   plays the steps, waits for the end. On an unexpected window or a time-out
   it records the failure and ends the process, unless it plays on
   (DriverRun::playOn). */
DriverResult DriverPlay(const DriverRun &run, const std::vector<DriverStep> &steps);

/* Parses the scenario text of the command-line form into steps. */
bool DriverParseScenario(const std::string &text, std::vector<DriverStep> *steps,
                         std::string *error);

/* Message boxes of the calling process itself, for unit tests of code that
   shows them: a background thread records every box and presses button,
   the calling thread (which shows them) held by the gate while it reads. */
struct DriverBoxWatch;
DriverBoxWatch *DriverWatchOwnBoxes(int button);
std::vector<DriverWindow> DriverStopWatching(DriverBoxWatch *watch);

/* Read back what an installation left. view: KEY_WOW64_64KEY or
   KEY_WOW64_32KEY for a view other than the program's own. */
bool DriverReadRegistryString(HKEY root, const std::string &path, const std::string &name,
                              std::string *value, REGSAM view = 0);
bool DriverRegistryKeyExists(HKEY root, const std::string &path);

struct DriverShortcut {
    std::string target;
    std::string description;
    std::string iconPath;
    int iconIndex = 0;
    int showCommand = 0;
};
bool DriverReadShortcut(const std::string &path, DriverShortcut *shortcut);

/* Small helpers for tests. */
std::string DriverFromAnsi(const std::string &text);   /* code page 1252 bytes to UTF-8 */
std::string DriverToAnsi(const std::string &text);     /* UTF-8 to the ANSI code page */
std::wstring DriverWide(const std::string &text);      /* UTF-8 to UTF-16 */
std::string DriverUtf8(const wchar_t *text);           /* UTF-16 to UTF-8 */
/* Whole files by UTF-8 paths; false when the file cannot be read or written. */
bool DriverReadFile(const std::string &path, std::string *bytes);
bool DriverWriteFile(const std::string &path, const std::string &bytes);

#endif
