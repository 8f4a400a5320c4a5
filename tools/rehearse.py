#!/usr/bin/env python3
"""Rehearses the installation of a distribution folder before it ships: lays
it out beside SETUP.EXE, plays it under Wine with the scripted user who
accepts every proposal, saves a screenshot of each screen, prints the
receipt of what was installed and compares it with what setupcheck plans for
the same script on the same machine.

    rehearse.py --bed BED --setup-exe SETUP.EXE --userdriver USERDRIVER.EXE
                --setupcheck SETUPCHECK --stage DIR --shots DIR
                [--scenario FILE] [--layout-only] DIST

BED is a started test bed (tools/winebed.sh start); the installation runs
from its pristine state. DIST is copied to the stage directory, and SETUP.EXE
beside its script under the script's name. Exit code 0 when the scripted user
met every window it expects and no other (so no failure message), setupcheck
found no error, nothing the installation points at (shortcut targets and
icons, the programs of the registry values) is missing, and the plan and the
receipt agree line for line; 1 otherwise. The plan does not look at what is
missing: the receipt's marks of it are left out of the comparison.
"""
import argparse
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import receipt  # noqa: E402


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
    """Runs the scripted user; True when everything went as it expects."""
    os.makedirs(shots, exist_ok=True)
    for name in os.listdir(shots):
        if name.endswith((".bmp", ".png", ".txt")):
            os.remove(os.path.join(shots, name))
    played = os.path.join(shots, "scenario.txt")
    with open(scenario, encoding="utf-8") as f:
        text = f.read().replace("SHOTS", winpath(shots))
    with open(played, "w", encoding="utf-8") as f:
        f.write(text)
    transcript = os.path.join(shots, "transcript.txt")
    run = subprocess.run([os.path.join(HERE, "winebed.sh"), "run", bed, userdriver,
                          "--program", winpath(program), "--cwd", winpath(os.path.dirname(program)),
                          "--scenario", winpath(played), "--transcript", winpath(transcript)],
                         env={**os.environ, "TAV_FRESH": "1"}, stdout=subprocess.DEVNULL)
    subprocess.run([os.path.join(HERE, "winebed.sh"), "flush", bed], check=True)
    os.remove(played)
    pictures = sorted(os.path.join(shots, n) for n in os.listdir(shots) if n.endswith(".bmp"))
    if pictures:
        subprocess.run([sys.executable, os.path.join(HERE, "bmp2png.py")] + pictures, check=True)
        for p in pictures:
            os.remove(p)
    if run.returncode != 0:
        try:
            print(open(transcript, encoding="utf-8").read())
        except OSError:
            print("(no transcript was written)")
        print("The installation did not go as a user accepting every proposal expects; the "
              "transcript above shows where.")
    return run.returncode == 0


def plan(bed, setupcheck, script, stage):
    """setupcheck's exit code and plan for the machine of the prefix."""
    found = receipt.folders(bed)
    options = ["--current-dir", winpath(stage)]
    for name in ("windows", "program-files", "programs", "desktop"):
        if found[name]:
            options += ["--" + (name + "-dir" if name == "windows" else name), found[name]]
    run = subprocess.run([setupcheck, "--plan"] + options + [script], capture_output=True,
                         text=True)
    if run.stderr:
        print("setupcheck:\n" + run.stderr)
    return run.returncode, run.stdout


def sections(text):
    """The lines from the "Files" heading on, without the empty ones and
    without the receipt's marks of what is missing."""
    lines = text.splitlines()
    return [line for line in lines[lines.index("Files"):]
            if line.strip() and not line.startswith(receipt.MARK)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    for option in ("bed", "setup-exe", "userdriver", "setupcheck", "stage", "shots"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("--scenario", default=os.path.join(HERE, "accept-all.scenario"))
    parser.add_argument("--layout-only", action="store_true")
    parser.add_argument("dist")
    a = parser.parse_args()

    program, script = layout(a.dist, a.stage, a.setup_exe)
    if a.layout_only:
        print(program)
        return 0
    played = play(a.bed, a.userdriver, program, a.scenario, a.shots)
    checked, planned = plan(a.bed, a.setupcheck, script, a.stage)
    done, all_equal, missing = receipt.receipt(a.bed, a.stage, planned)
    print(done)
    print(f"Screenshots: {os.path.abspath(a.shots)}")
    for name in sorted(os.listdir(a.shots)):
        print(f"  {name}")
    print()

    status = 0 if played and all_equal and checked < 2 and not missing else 1
    if checked >= 2:
        print("setupcheck found errors in the script.")
    if missing:
        print("The installation points at what is not on the machine after it:")
        for line in missing:
            print("  " + line)
    if not planned:
        print("setupcheck made no plan.")
        return 1
    wanted, got = sections(planned), sections(done)
    if wanted != got:
        print("The plan and the receipt differ:")
        for line in sorted(set(wanted) ^ set(got)):
            print(("  planned only:  " if line in wanted else "  received only: ") + line)
        if set(wanted) == set(got):
            print("  (the same lines, in another order)")
        return 1
    print(f"Plan and receipt agree on {len(wanted)} lines.")
    return status


if __name__ == "__main__":
    sys.exit(main())
