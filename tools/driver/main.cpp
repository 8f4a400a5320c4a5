/* userdriver: plays a scenario against a program and prints what it showed.

     userdriver --program C:\path\SETUP.EXE --cwd C:\path --scenario FILE
                --transcript OUT.TXT [--timeout MS] [--poll MS] [--play-on SHOTS]

   --poll MS is the pause between two looks at the program's windows (5 by
   default): a longer one leaves more of a shared CPU to the program.

   The scripted user never races the program: it places gate.dll (built
   beside userdriver.exe) in the program's thread before it starts, and the
   program is held at the next message it takes while one of its windows,
   painted, has not been met yet, or once what a wait awaits is there; it
   goes on when the step's actions are done or the next wait begins. Every
   window is read, and every screenshot taken, while the program is held or
   has nothing left to do but wait for input, so the picture shows what the
   program drew, at the point awaited, however slow the machine is.

   --play-on SHOTS plays the installation to its end as a user would: a
   window no step expects is photographed while the program is held there
   (SHOTS\unexpected-NN.bmp, NN its number in the transcript), answered with
   the button that lets the installation go on (OK in a message box, else
   Oui, else its only button; a dialog's default button unless it cancels;
   nothing in the backdrop or the progress dialog), and the scenario goes
   on; a wait it interrupts goes on after it ("back to window N" in the
   transcript). Without it the first unexpected window ends the program.

   Exit code 0 when every expected window came, nothing else did and the
   program ended; 1 otherwise, also when it played on to the end. The transcript goes to OUT.TXT and to the
   standard output, both in UTF-8.

   Scenario files are UTF-8 text, one statement a line; '#' starts a comment
   line, blank lines are ignored. A line at the start of the line expects the
   next window of the program:

     window TEXT [class NAME] [control TEXT2] [optional]

   TEXT must occur in the window's caption or in a message box's text (an
   empty "" matches any window); NAME must equal the window class; TEXT2 must
   occur in the text of one of the window's controls (to tell apart two
   dialogs under one caption). An optional window may come or not. The indented lines that follow are done, in order,
   on that window:

     type ID TEXT        select the whole text of control ID and type TEXT
     press ID            click button ID
     escape              the Escape key
     enter               the Enter key
     close               the close box
     wait-percent ID N   wait until control ID reads a number >= N ("42 %")
     wait-text ID TEXT   wait until the text of control ID contains TEXT
     shot PATH           save the whole screen as a 24-bit .bmp file
     sleep MS            wait MS milliseconds
     time-next-window    time the next window the program makes (the progress
                         dialog after the press that follows), from its
                         creation to its destruction, inside the program's
                         own thread; meanwhile the scripted user does not look
                         at the program (but once a second for another window)
                         and nothing of it runs there, and that window is never
                         met. The transcript says "timed window: MS ms", or
                         "timed window: no figure, " and why.

   A wait's control ID is the window's, or else that of another window of
   the program (a wait in a box's step for the dialog under it).

   TEXT is a word or a double-quoted string in which "" stands for one quote;
   backslashes are plain characters. IDs are decimal or 0x hexadecimal.

     # cancel at the directory question
     window "Tavelin" class Installer
     window "Tavelin" class #32770 control "&Installer"
         type 257 "C:\Tavelin"
         press 260
*/
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "tools/driver/driver.h"

static int Usage(void)
{
    fprintf(stderr, "usage: userdriver --program EXE --cwd DIR --scenario FILE "
                    "--transcript OUT [--timeout MS] [--poll MS] [--play-on SHOTS]\n");
    return 1;
}

int main(void)
{
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == NULL)
        return Usage();
    std::string program, directory, scenario, transcript, shots;
    bool playOn = false;
    int timeout = 1800000;
    int poll = 5;
    /* The arguments are taken as UTF-8 first, so the system's array is freed
       on every path. */
    std::vector<std::string> words;
    for (int i = 1; i < count; i++)
        words.push_back(DriverUtf8(arguments[i]));
    LocalFree(arguments);
    for (size_t i = 0; i < words.size(); i++) {
        const std::string &name = words[i];
        if (i + 1 >= words.size())
            return Usage();
        const std::string &value = words[++i];
        if (name == "--program")
            program = value;
        else if (name == "--cwd")
            directory = value;
        else if (name == "--scenario")
            scenario = value;
        else if (name == "--transcript")
            transcript = value;
        else if (name == "--timeout")
            timeout = atoi(value.c_str());
        else if (name == "--poll")
            poll = atoi(value.c_str());
        else if (name == "--play-on") {
            playOn = true;
            shots = value;
        }
        else
            return Usage();
    }
    if (program.empty() || scenario.empty() || transcript.empty() || timeout <= 0 || poll <= 0)
        return Usage();

    std::string text;
    if (!DriverReadFile(scenario, &text)) {
        fprintf(stderr, "userdriver: cannot read %s\n", scenario.c_str());
        return 1;
    }
    std::vector<DriverStep> steps;
    std::string error;
    if (!DriverParseScenario(text, &steps, &error)) {
        fprintf(stderr, "userdriver: %s: %s\n", scenario.c_str(), error.c_str());
        return 1;
    }

    DriverRun run;
    run.program = program;
    run.directory = directory;
    run.timeoutMs = timeout;
    run.pollMs = poll;
    run.playOn = playOn;
    run.shots = shots;
    DriverResult result = DriverPlay(run, steps);

    fwrite(result.transcript.data(), 1, result.transcript.size(), stdout);
    fflush(stdout);
    if (!DriverWriteFile(transcript, result.transcript)) {
        fprintf(stderr, "userdriver: cannot write %s\n", transcript.c_str());
        return 1;
    }
    return result.ok ? 0 : 1;
}
