#!/usr/bin/env python3
"""Scale benchmark of setupcheck: the check and the plan of generated
distributions of 1,000, 4,000, 16,000 and 64,000 files.

    tools/bench/checker.py [--runs N] [--sizes 1000,4000,...] [--setupcheck PATH]
                           [--work DIR]

Each distribution (fixed seed) holds N small files in 50 folders, one
[Fichiers] entry each, a fourth of them named in other capitals than on the
disk, as Windows finds them; the two programs the registry names; a [Groupe]
of N/8 shortcuts to installed files; and a [Enregistrement]. setupcheck
--plan runs N times on each, as the packager runs it; the table gives the
wall time (min, median, max) and the peak resident memory of the process
(the largest of the runs), taken from the kernel's account of the ended
child. The distributions are laid out under WORK (build/bench-checker by
default) and kept for the next run.
"""
import argparse
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FOLDERS = 50


def other_capitals(name, rng):
    """The name as a script writer might type it: capitals changed."""
    return "".join(c.swapcase() if rng.random() < 0.5 else c for c in name)


def layout(base, count):
    """Writes the distribution of count files under base, once; its script."""
    script = os.path.join(base, "SETUP.INF")
    done = os.path.join(base, ".complete")
    if os.path.exists(done):
        return script
    rng = random.Random(count)
    os.makedirs(base, exist_ok=True)
    for program in ("Tavelin.exe", "Untave.exe"):
        with open(os.path.join(base, program), "wb") as f:
            f.write(b"MZ" + bytes(rng.randrange(256) for _ in range(62)))
    entries = []
    names = []
    for i in range(count):
        folder = f"Dossier{i % FOLDERS:02d}"
        name = f"Fichier{i:06d}.txt"
        os.makedirs(os.path.join(base, folder), exist_ok=True)
        with open(os.path.join(base, folder, name), "wb") as f:
            f.write(b"x" * rng.randint(1, 200))
        source = f"{folder}\\{name}"
        written = other_capitals(source, rng) if i % 4 == 3 else source
        entries.append(f"F{i:06d}={folder}\\{name};{written}")
        names.append(f"{folder}\\{name}")
    shortcuts = [f"Raccourci{i:06d}.lnk={names[i * 8]},Fichier {i},%Tavelin.exe,0"
                 for i in range(count // 8)]
    lines = ["[Installer]", "Application=Tavelin", "Titre=Installation de Tavelin",
             "[Fichiers]", "Programme=Tavelin.exe", "Desinstallation=%Untave.exe"]
    lines += entries
    lines += ["[Groupe]", "Tavelin.lnk=Tavelin.exe,Editeur,%Tavelin.exe,0"] + shortcuts
    lines += ["[Enregistrement]", "Suffixes=txt ini log"]
    with open(script, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1252"))
    open(done, "w").close()
    return script


def run_once(setupcheck, script):
    """Wall seconds, peak resident KiB and exit code of one setupcheck --plan."""
    with tempfile.TemporaryFile() as err:
        start = time.perf_counter()
        child = subprocess.Popen([setupcheck, "--plan", script], stdout=subprocess.DEVNULL,
                                 stderr=err)
        # wait4, not wait: the kernel's account of this child alone
        _, status, usage = os.wait4(child.pid, 0)
        seconds = time.perf_counter() - start
        child.returncode = os.waitstatus_to_exitcode(status)
        err.seek(0)
        errors = err.read().decode("utf-8", "replace")
    return seconds, usage.ru_maxrss, child.returncode, errors


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--sizes", default="1000,4000,16000,64000")
    parser.add_argument("--setupcheck", default=os.path.join(ROOT, "build", "native", "setupcheck"))
    parser.add_argument("--work", default=os.path.join(ROOT, "build", "bench-checker"))
    a = parser.parse_args()

    rows = []
    for count in [int(s) for s in a.sizes.split(",")]:
        script = layout(os.path.join(a.work, str(count)), count)
        size = os.path.getsize(script)
        times, peaks = [], []
        for _ in range(a.runs):
            seconds, peak, code, errors = run_once(a.setupcheck, script)
            if code != 0:
                print(f"setupcheck exited {code} on {script}:\n{errors}", file=sys.stderr)
                return 1
            times.append(seconds * 1000)
            peaks.append(peak)
        rows.append((count, count // 8, size, min(times), statistics.median(times), max(times),
                     max(peaks)))
        print(f"{count} files: median {statistics.median(times):.0f} ms", file=sys.stderr)

    print(f"{a.runs} runs of `setupcheck --plan` each ({a.setupcheck}).\n")
    print("| files | shortcuts | script KiB | min ms | median ms | max ms | peak memory MiB |")
    print("|---|---|---|---|---|---|---|")
    for count, shortcuts, size, low, median, high, peak in rows:
        print(f"| {count} | {shortcuts} | {size // 1024} | {low:.0f} | {median:.0f} | {high:.0f} "
              f"| {peak / 1024:.1f} |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
