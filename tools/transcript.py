"""Reads the transcript the scripted user writes (tools/driver/transcript.cpp
and play.cpp): every window the program showed, in order, what the scripted
user did with it, and how the run ended. Playing on, a window that shows
during a wait of another is written in the middle of that one's lines, and
"back to window N" says whose lines follow.

A line the reader does not know is kept as a note of the window it is in,
or of the run, so that nothing the transcript says is lost."""
import re

WINDOW = re.compile(r'window (\d+) at (\d+) ms: class (.*?), caption "(.*)"$')
BACK = re.compile(r"back to window (\d+)$")
CONTROL = re.compile(r'  control (-?\d+) (\S+) "(.*)"$')
DONE = re.compile(r'  (\d+) ms: (.*)$')
BUTTON_NAMES = {1: "OK", 2: "Annuler", 6: "Oui", 7: "Non"}


class Window:
    def __init__(self, number, at_ms, class_name, caption):
        self.number = number
        self.at_ms = at_ms
        self.class_name = class_name
        self.caption = caption
        self.owner = ""
        self.rect = None        # (left, top, width, height) on the screen
        self.message = None     # a message box's text
        self.icon = ""
        self.controls = []      # (id, class, text)
        self.step = ""          # the step of the scenario it matched
        self.actions = []       # (ms, what), as the transcript writes them
        self.shots = []         # file names of the screenshots taken on it
        self.unexpected = False
        self.notes = []

    def control_text(self, control_id):
        for number, _, text in self.controls:
            if number == control_id:
                return text
        return None


class Run:
    def __init__(self):
        self.windows = []
        self.notes = []         # (windows before it, line): the run's lines outside any window
        self.exit_code = None
        self.failure = None     # the first thing that did not go as the scenario expects
        self.failures = []      # all of them, in order (several when it played on)
        self.ok = False

    def last_ms(self):
        """When the last thing the transcript times happened, since the
        program was started."""
        times = [w.at_ms for w in self.windows] + [ms for w in self.windows for ms, _ in w.actions]
        return max(times) if times else None


def inner(quoted):
    """The text of a line's last quoted field: the driver writes quotes
    inside it as they are, so the field runs to the line's last quote."""
    return quoted[1:-1] if len(quoted) >= 2 and quoted[0] == quoted[-1] == '"' else quoted


def read(text):
    run = Run()
    window = None
    for line in text.splitlines():
        m = WINDOW.match(line)
        if m:
            window = Window(int(m.group(1)), int(m.group(2)), m.group(3), m.group(4))
            run.windows.append(window)
            continue
        back = BACK.match(line)
        if back and 0 < int(back.group(1)) <= len(run.windows):
            window = run.windows[int(back.group(1)) - 1]
            continue
        if not line.startswith("  "):
            window = None
            if re.fullmatch(r"exit code \d+", line):
                run.exit_code = int(line[len("exit code "):])
            elif line.startswith("failure: "):
                run.failures.append(line[len("failure: "):])
                run.failure = run.failures[0]
            elif line == "ok":
                run.ok = True
            elif not line.startswith(("program ", "directory ", "held ")):
                run.notes.append((len(run.windows), line))
            continue
        if window is None:
            run.notes.append((len(run.windows), line.strip()))
            continue
        control = CONTROL.match(line)
        done = DONE.match(line)
        if line.startswith("  owner "):
            window.owner, _, rect = line[len("  owner "):].rpartition(", rect ")
            m = re.fullmatch(r"(-?\d+),(-?\d+) (\d+)x(\d+)", rect)
            window.rect = tuple(int(n) for n in m.groups()) if m else None
        elif line.startswith("  message box: "):
            window.message = inner(line[len("  message box: "):])
        elif line.startswith("  buttons ") and ", icon " in line:
            window.icon = line.rsplit(", icon ", 1)[1]
        elif control:
            window.controls.append((int(control.group(1)), control.group(2), control.group(3)))
        elif line.startswith("  matches step "):
            window.step = line.split(": ", 1)[1] if ": " in line else line.strip()
        elif line == "  unexpected":
            window.unexpected = True
        elif done:
            what = done.group(2)
            window.actions.append((int(done.group(1)), what))
            if what.startswith("shot "):
                window.shots.append(re.split(r"[\\/]", what[len("shot "):])[-1])
        elif not line.startswith("  also visible: "):
            window.notes.append(line.strip())
    return run


def answer(window, what):
    """What the scripted user did, in a person's words; None for what a
    person would not see (a pause, a screenshot)."""
    verb, _, rest = what.partition(" ")
    if verb in ("sleep", "shot"):
        return None
    if verb == "press" and rest.split(" ")[0].lstrip("-").isdigit():
        number = int(rest.split(" ")[0])
        label = window.control_text(number)
        if label is None:
            label = BUTTON_NAMES.get(number, f"button {number}")
        # "&Oui" reads "Oui": the ampersand marks the key, "&&" is one "&"
        return 'pressed "' + re.sub("&(.)", r"\1", label) + '"'
    if verb == "type":
        number, _, typed = rest.partition(" ")
        return f"typed {typed} into control {number}"
    if verb == "escape":
        return "pressed Escape"
    if verb == "enter":
        return "pressed Enter"
    if verb == "close":
        return "closed it with its close box"
    if verb in ("wait-text", "wait-percent"):
        number, _, wanted = rest.partition(" ")
        wanted, _, read = wanted.partition(" (read ")
        if verb == "wait-percent":
            wanted += " % or more"
        said = f"waited until control {number} read {wanted}"
        return said + (f" (it read {read}" if read else "")
    return what
