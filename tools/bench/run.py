#!/usr/bin/env python3
"""Install-speed benchmark of SETUP.EXE under Wine, against the design's own
floor (8 KiB per posted message, no painting) and a plain copy loop.

    tools/bench/run.py [--runs N] [--out FILE] [--build DIR] [--poll MS] [--only big|many]

--poll is how often the scripted user looks at the windows while a copy runs
(20 ms by default; 5 ms for start-up and Cancel); --only runs one payload and
skips start-up and Cancel.

Payloads (fixed seed): "big", 8 files of 32 MiB; "many", 2000 files of 4 to
64 KiB in 20 folders. Every program runs pinned to CPU 0, the prefix's
wineserver too. SETUP.EXE is timed by the scripted user, from its press of
"&Installer" to the appearance of the first window after the copy (the
question about the default editor), so that no answer time is counted.
Start-up is timed from process start to the Directory dialog for a script of
5000 entries; Cancel latency from the press of Annuler to the closing
message. The table's heading says which SETUP.EXE ran (the shipped PE32
file itself where 32-bit Wine runs, else the x86_64 build made with the
shipped options) and under which Wine.
"""
import argparse
import os
import random
import re
import shutil
import statistics
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def sh(*args, **kw):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kw).stdout


def winpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Bed:
    """A test bed of the benchmark's own; its wineserver and every program
    run pinned to CPU 0."""

    def __init__(self, build):
        self.build = build
        self.dir = os.path.join(build, "bench")
        self.tool = os.path.join(ROOT, "tools", "winebed.sh")
        sh(self.tool, "prepare", self.dir)
        sh(self.tool, "flush", self.dir)
        sh("taskset", "-c", "0", self.tool, "start", self.dir)
        self.drive_c = os.path.join(self.dir, "prefix", "drive_c")

    def wine(self, *args):
        return subprocess.run(["taskset", "-c", "0", self.tool, "run", self.dir, *args],
                              check=False, capture_output=True, text=True)

    def stop(self):
        sh(self.tool, "stop", self.dir)


def payload(base, kind):
    rng = random.Random(1964 if kind == "big" else 2024)
    files = []
    if kind == "big":
        for i in range(8):
            files.append((f"GROS{i}.DAT", 32 * 1024 * 1024))
    else:
        for i in range(2000):
            files.append((f"D{i % 20:02d}\\F{i:04d}.DAT", rng.randint(4, 64) * 1024))
    for name, size in files:
        path = os.path.join(base, *name.split("\\"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if not os.path.exists(path) or os.path.getsize(path) != size:
            with open(path, "wb") as f:
                f.write(rng.randbytes(size))
    return files


def script(entries):
    lines = ["[Installer]", "Application=Tavelin", "Titre=Installation de Tavelin", "[Fichiers]"]
    lines += [f"F{i}={name}" for i, name in enumerate(entries)]
    return ("\r\n".join(lines) + "\r\n").encode("cp1252")


def play(bed, dist, inst, steps, poll=5):
    """The scripted user looks at the windows every `poll` ms: often enough
    for start-up and Cancel, where a few milliseconds count; less often while
    a long copy runs, where each look takes CPU from the program it times (it
    shares CPU 0 with it) and its lateness of at most `poll` ms is small."""
    scenario = os.path.join(dist, "scenario.txt")
    with open(scenario, "w") as f:
        f.write(steps.replace("INST", inst))
    transcript = os.path.join(dist, "transcript.txt")
    # A figure comes only from a run that went through: never from the
    # transcript of the run before, nor from one that stopped half way.
    if os.path.exists(transcript):
        os.remove(transcript)
    run = bed.wine(os.path.join(bed.build, "userdriver.exe"), "--program", winpath(os.path.join(dist, "SETUP.EXE")),
                   "--cwd", winpath(dist), "--scenario", winpath(scenario), "--transcript", winpath(transcript),
                   "--timeout", "600000", "--poll", str(poll))
    text = open(transcript, encoding="utf-8").read() if os.path.exists(transcript) else ""
    if run.returncode != 0 or not text.rstrip().endswith("ok"):
        raise RuntimeError(f"the run in {dist} failed (status {run.returncode}):\n{text}{run.stderr}")
    return text


def times(transcript):
    """(ms of each window's appearance, ms of each action) in order."""
    windows = [float(m) for m in re.findall(r"^window \d+ at (\d+(?:\.\d+)?) ms", transcript, re.M)]
    actions = [(float(t), a) for t, a in re.findall(r"^  (\d+(?:\.\d+)?) ms: (.*)$", transcript, re.M)]
    return windows, actions


INSTALL = """window "" class Installer
window "" class #32770 control "&Installer"
    type 257 "INST"
    press 259
window "" class #32770 control "Avancement global" optional
window "Souhaitez"
    press 7
window "Installation"
    press 1
"""

CANCEL = """window "" class Installer
window "" class #32770 control "&Installer"
    type 257 "INST"
    press 259
window "" class #32770 control "Avancement global"
    wait-percent 260 30
    press 261
window "Installation abandonn"
    press 1
"""

STARTUP = """window "" class Installer
window "" class #32770 control "&Installer"
    press 260
"""


def measure_setup(bed, dist, inst_unix, inst, poll):
    shutil.rmtree(inst_unix, ignore_errors=True)
    t = play(bed, dist, inst, INSTALL, poll)
    windows, actions = times(t)
    press = [ms for ms, a in actions if a == "press 259"][0]
    # the question: the first message box after the copy
    question = re.search(r"^window \d+ at (\d+(?:\.\d+)?) ms:.*\n(?:  .*\n)*?  message box: \"Souhaitez", t, re.M)
    if not question:
        raise RuntimeError("no question after the copy:\n" + t)
    return float(question.group(1)) - press


def describe_exe(path):
    """The machine of a PE file, and whether it is the shipped file itself."""
    with open(path, "rb") as f:
        data = f.read()
    pe = int.from_bytes(data[0x3C:0x40], "little")
    machine = int.from_bytes(data[pe + 4:pe + 6], "little")
    kind = {0x14C: "PE32 (i686)", 0x8664: "PE32+ (x86_64)"}.get(machine, f"machine {machine:#x}")
    shipped = os.path.join(ROOT, "build", "i686", "SETUP.EXE")
    if os.path.exists(shipped) and open(shipped, "rb").read() == data:
        return f"{kind}, the shipped build/i686/SETUP.EXE byte for byte"
    return f"{kind}, built with the shipped options"


def summary(values):
    return min(values), statistics.median(values), max(values)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--out", default=os.path.join(ROOT, "docs", "benchmark-latest.md"))
    parser.add_argument("--build", default=None)
    parser.add_argument("--poll", type=int, default=20, help="look-ups of the scripted user during a copy, ms")
    parser.add_argument("--only", choices=("big", "many"), default=None)
    args = parser.parse_args()
    arch = sh(os.path.join(ROOT, "tools", "winebed.sh"), "arch").strip()
    wine = sh(os.path.join(ROOT, "tools", "winebed.sh"), "describe").strip()
    build = args.build or os.path.join(ROOT, "build", f"test-{arch}")
    bed = Bed(build)
    results = {}
    try:
        setup_exe = os.path.join(build, "SETUP.EXE")
        program = describe_exe(setup_exe)
        for kind in ((args.only,) if args.only else ("big", "many")):
            base = os.path.join(bed.drive_c, "bench", kind)
            files = payload(base, kind)
            with open(os.path.join(base, "SETUP.INF"), "wb") as f:
                f.write(script([name for name, _ in files]))
            shutil.copyfile(setup_exe, os.path.join(base, "SETUP.EXE"))
            listing = os.path.join(base, "list.txt")
            with open(listing, "w") as f:
                for name, _ in files:
                    f.write(winpath(os.path.join(base, *name.split("\\"))) + "\n")
            inst_unix = os.path.join(bed.drive_c, "bench", "inst")
            floor_unix = os.path.join(bed.drive_c, "bench", "floor")
            for _ in range(args.runs):
                results.setdefault((kind, "SETUP.EXE"), []).append(
                    measure_setup(bed, base, inst_unix, "C:\\bench\\inst", args.poll))
                for mode in ("posted", "plain"):
                    shutil.rmtree(floor_unix, ignore_errors=True)
                    os.makedirs(floor_unix)
                    floor = bed.wine(os.path.join(build, "copyfloor.exe"), mode, winpath(listing),
                                     "C:\\bench\\floor")
                    if floor.returncode != 0:
                        raise RuntimeError(f"copyfloor {mode} failed: {floor.stderr}")
                    out = floor.stdout.strip()
                    results.setdefault((kind, "floor" if mode == "posted" else "plain loop"), []).append(float(out))
            shutil.rmtree(inst_unix, ignore_errors=True)
            shutil.rmtree(floor_unix, ignore_errors=True)

        # start-up with 5000 entries, and Cancel latency on "big"
        if not args.only:
            many = os.path.join(bed.drive_c, "bench", "many")
            names = [f"D{i % 20:02d}\\F{i:04d}.DAT" for i in range(2000)]
            start = os.path.join(bed.drive_c, "bench", "start")
            os.makedirs(start, exist_ok=True)
            for name in names:
                target = os.path.join(start, *name.split("\\"))
                os.makedirs(os.path.dirname(target), exist_ok=True)
                if not os.path.exists(target):
                    os.link(os.path.join(many, *name.split("\\")), target)
            with open(os.path.join(start, "SETUP.INF"), "wb") as f:
                f.write(script([names[i % 2000] for i in range(5000)]))
            shutil.copyfile(setup_exe, os.path.join(start, "SETUP.EXE"))
            big = os.path.join(bed.drive_c, "bench", "big")
            for _ in range(args.runs):
                windows, _ = times(play(bed, start, "", STARTUP))
                results.setdefault(("start-up", "5000 entries to the Directory dialog"), []).append(windows[1])
                shutil.rmtree(os.path.join(bed.drive_c, "bench", "inst"), ignore_errors=True)
                t = play(bed, big, "C:\\bench\\inst", CANCEL)
                windows, actions = times(t)
                press = [ms for ms, a in actions if a == "press 261"][0]
                results.setdefault(("cancel", "Annuler to the closing message"), []).append(
                    [w for w in windows if w > press][0] - press)
            shutil.rmtree(os.path.join(bed.drive_c, "bench", "inst"), ignore_errors=True)
    finally:
        bed.stop()

    lines = ["| payload | method | min ms | median ms | max ms | median / floor |", "|---|---|---|---|---|---|"]
    for (kind, method), values in results.items():
        low, mid, high = summary(values)
        floor = results.get((kind, "floor"))
        ratio = f"{mid / statistics.median(floor):.2f}" if floor else ""
        lines.append(f"| {kind} | {method} | {low:.0f} | {mid:.0f} | {high:.0f} | {ratio} |")
    table = "\n".join(lines)
    print(f"SETUP.EXE: {program}\nWine: {wine}\n{table}")
    with open(args.out, "w") as f:
        f.write("# Install speed\n\n")
        f.write(f"{args.runs} runs of each, pinned to CPU 0 (`taskset -c 0`) with the prefix's wineserver, "
                f"made by `tools/bench/run.py`; the scripted user looks at the windows every {args.poll} ms "
                f"during a copy, every 5 ms for start-up and Cancel.\n\n"
                f"- SETUP.EXE: {program}\n- Wine: {wine}\n\n{table}\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
