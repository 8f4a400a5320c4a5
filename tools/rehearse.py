#!/usr/bin/env python3
"""Rehearses the installation of a distribution folder before it ships: lays
it out beside SETUP.EXE, plays it under Wine with the scripted user who
accepts every proposal, saves a screenshot of each screen, prints the
receipt of what was installed and compares it with what setupcheck plans for
the same script on the same machine; then writes all of it on one page
(tools/report.py), REPORT or report.html in the stage directory, and names it
last.

    rehearse.py --bed BED --setup-exe SETUP.EXE --userdriver USERDRIVER.EXE
                --setupcheck SETUPCHECK --stage DIR --shots DIR
                [--scenario FILE] [--report REPORT] [--layout-only] DIST

BED is a started test bed (tools/winebed.sh start); the installation runs
from its pristine state. DIST is copied to the stage directory, and SETUP.EXE
beside its script under the script's name. The scripted user plays on past a
window it does not expect (a failure message): it photographs it, answers it
as a user who wants the installation to go on, and plays the installation to
its end (userdriver --play-on). Exit code 0 when the scripted user
met every window it expects and no other (so no failure message), setupcheck
found no error, nothing the installation points at (shortcut targets and
icons, the programs of the registry values) is missing, and the plan and the
receipt agree line for line; 1 otherwise. The plan does not look at what is
missing: the receipt's marks of it are left out of the comparison.
"""
import argparse
import datetime
import os
import shutil
import subprocess
import sys
import time
from typing import NamedTuple

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import receipt  # noqa: E402
import report  # noqa: E402
import transcript  # noqa: E402


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def layout(dist, stage, setup_exe):
    """Copies dist to stage with SETUP.EXE beside the script; the program's
    path there."""
    scripts = [n for n in os.listdir(dist) if n.upper().endswith(".INF")]
    if len(scripts) != 1:
        raise SystemExit(f"{dist}: holds {len(scripts)} .INF files; a distribution holds one "
                         "setup script")
    if os.path.exists(stage):
        shutil.rmtree(stage)
    shutil.copytree(dist, stage)
    program = os.path.join(stage, scripts[0][:-4] + ".EXE")
    for name in os.listdir(stage):
        if name.upper() == os.path.basename(program).upper():
            os.remove(os.path.join(stage, name))
    shutil.copyfile(setup_exe, program)
    return program, os.path.join(stage, scripts[0])


def play(bed, userdriver, program, scenario, shots):
    """Runs the scripted user: whether everything went as it expects, the
    transcript it wrote (None when it wrote none) and how many seconds it
    ran."""
    os.makedirs(shots, exist_ok=True)
    for name in os.listdir(shots):
        if name.endswith((".bmp", ".png", ".txt")):
            os.remove(os.path.join(shots, name))
    played = os.path.join(shots, "scenario.txt")
    with open(scenario, encoding="utf-8") as f:
        text = f.read().replace("SHOTS", winpath(shots))
    with open(played, "w", encoding="utf-8") as f:
        f.write(text)
    transcript_file = os.path.join(shots, "transcript.txt")
    started = time.monotonic()
    run = subprocess.run([os.path.join(HERE, "winebed.sh"), "run", bed, userdriver,
                          "--program", winpath(program), "--cwd", winpath(os.path.dirname(program)),
                          "--scenario", winpath(played), "--transcript", winpath(transcript_file),
                          "--play-on", winpath(shots)],
                         env={**os.environ, "TAV_FRESH": "1"}, stdout=subprocess.DEVNULL)
    seconds = time.monotonic() - started
    subprocess.run([os.path.join(HERE, "winebed.sh"), "flush", bed], check=True)
    os.remove(played)
    pictures = sorted(os.path.join(shots, n) for n in os.listdir(shots) if n.endswith(".bmp"))
    if pictures:
        subprocess.run([sys.executable, os.path.join(HERE, "bmp2png.py")] + pictures, check=True)
        for p in pictures:
            os.remove(p)
    try:
        with open(transcript_file, encoding="utf-8") as f:
            written = f.read()
    except OSError:
        written = None
    return run.returncode == 0, written, seconds


def plan(bed, setupcheck, script, stage, wow64=False):
    """setupcheck's exit code, plan for the machine of the prefix, and
    diagnostics."""
    found = receipt.folders(bed, wow64)
    options = ["--current-dir", winpath(stage)] + (["--wow64"] if wow64 else [])
    for name in ("windows", "program-files", "programs", "desktop"):
        if found[name]:
            options += ["--" + (name + "-dir" if name == "windows" else name), found[name]]
    run = subprocess.run([setupcheck, "--plan"] + options + [script], capture_output=True,
                         text=True)
    return run.returncode, run.stdout, run.stderr


def sections(text):
    """The lines from the "Files" heading on, without the empty ones and
    without the receipt's marks of what is missing."""
    return [line for line in report.from_files(text) if not line.startswith(receipt.MARK)]


class Cause(NamedTuple):
    """One reason a rehearsal fails, as the console and the report give it."""
    kind: str     # user, setupcheck, missing, no-plan, differs or foreign
    why: str      # its clause in the report's verdict
    said: str     # the sentence the console prints ("": none)
    items: list   # the lines below it, in both


def user_cause(run):
    """Why the installation did not go as the scripted user expects, from
    its transcript: each window it did not expect (a failure message above
    all, which a user who accepts every proposal never meets on the way of
    an installation that succeeds), in order, then what else went wrong."""
    said = ("The installation did not go as a user accepting every proposal expects (the "
            "transcript above shows each window):")
    if run is None:
        return Cause("user", "the scripted user could not go on: it wrote no transcript", said, [])
    odd = [w for w in run.windows if w.unexpected]
    items = [f'window {w.number}, "{w.caption}": ' + (f'"{w.message}"' if w.message is not None
                                                       else f"a window of class {w.class_name}")
             for w in odd]
    # The expected end that did not come is told by the windows that came
    # instead.
    items += [f for f in run.failures if not f.startswith("unexpected window ")
              and not (odd and f.startswith("the program ended before "))]
    boxes = [w.message for w in odd if w.message is not None]
    if boxes:
        more = f" and {len(boxes) - 1} more" if len(boxes) > 1 else ""
        return Cause("user", f'the user saw a failure message: "{boxes[0]}"{more}', said, items)
    if odd:
        return Cause("user", f'a window showed that the scripted user did not expect: '
                             f'"{odd[0].caption}"', said, items)
    why = run.failure or f"SETUP.EXE ended with exit code {run.exit_code}"
    return Cause("user", "the scripted user could not go on: " + why, said, items[1:])


def setupcheck_errors(diagnostics):
    """setupcheck's errors, each on its line (the notes under them and the
    warnings left out: the report page shows them all)."""
    return [line for line in diagnostics.splitlines() if ": error: " in line]


def causes(played, run, checked, planned, done, all_equal, missing, diagnostics=""):
    """Every reason the rehearsal fails, in the order the console tells
    them: what the user saw, setupcheck's errors and what is missing first,
    the lines where plan and receipt differ after; none when it passes."""
    found = []
    if not played:
        found.append(user_cause(run))
    if checked >= 2:
        found.append(Cause("setupcheck", "setupcheck found errors in the script",
                           "setupcheck found errors in the script:",
                           setupcheck_errors(diagnostics)))
    if missing:
        found.append(Cause("missing", "the installation points at what it did not install",
                           "The installation points at what is not on the machine after it:",
                           missing))
    if not planned:
        found.append(Cause("no-plan", "setupcheck made no plan", "setupcheck made no plan.", []))
    else:
        wanted, got = sections(planned), sections(done)
        if wanted != got:
            apart = set(wanted) ^ set(got)
            items = [("planned only:  " if line in wanted else "received only: ") + line
                     for line in sorted(apart)]
            if not apart:
                items.append("(the same lines, in another order)")
            why = f"plan and receipt differ in {len(apart)} lines" if apart else \
                "plan and receipt hold the same lines in another order"
            found.append(Cause("differs", why, "The plan and the receipt differ:", items))
    if not all_equal:
        found.append(Cause("foreign", "an installed file equals no file of the distribution", "",
                           [line.strip() for line in done.splitlines() if "DIFFERS FROM" in line]))
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    for option in ("bed", "setup-exe", "userdriver", "setupcheck", "stage", "shots"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("--scenario", default=os.path.join(HERE, "accept-all.scenario"))
    parser.add_argument("--report")
    parser.add_argument("--layout-only", action="store_true")
    parser.add_argument("dist")
    a = parser.parse_args()

    program, script = layout(a.dist, a.stage, a.setup_exe)
    if a.layout_only:
        print(program)
        return 0
    played, written, seconds = play(a.bed, a.userdriver, program, a.scenario, a.shots)
    run = transcript.read(written) if written is not None else None
    # A PE32 SETUP.EXE in a 64-bit prefix: a 32-bit program on 64-bit Windows.
    wow64 = receipt.is_wow64(a.bed, program)
    checked, planned, diagnostics = plan(a.bed, a.setupcheck, script, a.stage, wow64)
    done, all_equal, missing = receipt.receipt(a.bed, a.stage, planned, wow64)
    found = causes(played, run, checked, planned, done, all_equal, missing, diagnostics)
    agreed = len(sections(planned)) if planned else 0

    if not played:
        print(written if written is not None else "(no transcript was written)")
    if diagnostics:
        print("setupcheck:\n" + diagnostics)
    print(done)
    print(f"Screenshots: {os.path.abspath(a.shots)}")
    for name in sorted(os.listdir(a.shots)):
        print(f"  {name}")
    print()
    # The verdict last, where it is read: the causes first, in the order of
    # the report's, then the lines where plan and receipt differ.
    if found:
        print(report.sentence(found, agreed))
    for cause in found:
        if cause.said:
            print(cause.said)
            for item in cause.items:
                print("  " + item)
    if planned and not any(cause.kind == "differs" for cause in found):
        print(f"Plan and receipt agree on {agreed} lines.")

    r = report.Rehearsal()
    r.dist, r.script, r.setup_exe = a.dist, script, program
    r.wine = subprocess.run([os.path.join(HERE, "winebed.sh"), "describe", a.bed], capture_output=True,
                            text=True).stdout.strip()
    r.date = datetime.datetime.now().astimezone().strftime("%Y-%m-%d %H:%M %Z")
    r.causes, r.diagnostics, r.run, r.shots = found, diagnostics, run, a.shots
    r.planned, r.done, r.seconds = planned, done, seconds
    r.agreed = agreed
    page = a.report or os.path.join(a.stage, "report.html")
    report.write(page, r)
    print(f"Report: {os.path.abspath(page)}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
