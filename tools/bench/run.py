#!/usr/bin/env python3
"""Install-speed benchmark of SETUP.EXE under Wine, against the design's own
floor (8 KiB per posted message, no painting), a plain copy loop, and a peer
installer: a silent NSIS installer of the same payload made with Debian's
makensis, with its default settings and with `CRCCheck off`.

    tools/bench/run.py [--runs N] [--out FILE] [--build DIR] [--only big|many]
                       [--looks] [--poll MS] [--compare EXE] [--requests]

Payloads (fixed seed): "big", 8 files of 32 MiB; "many", 2000 files of 4 to
64 KiB in 20 folders. Every program runs pinned to CPU 0, the prefix's
wineserver too, and each run (round) runs every method once, one after the
other, so that what else the machine does hits all alike.

What is timed:
- SETUP.EXE: the copy, from the creation of the progress dialog to the start
  of its destruction, taken in SETUP.EXE's own thread by the scripted user's
  gate (the scenario's `time-next-window`); meanwhile the scripted user
  neither looks at the program nor runs anything in its thread.
- The floor, the plain loop and its writes alone (no source opened or
  read, as the peer, which carries its payload in its own file): their copy,
  timed by copyfloor itself, into
  the payload's folders made beforehand (into one folder, as before, each
  new file of "many" cost a look through up to 2000 names: Wine looks for
  the name in other capitals before it makes a file).
- The peer: its whole process (Wine's start included), less the whole
  process of an empty NSIS installer of the same round. So neither figure
  holds Wine's process start; the peer's holds its check of the installer's
  data (CRC) and its set-up, SETUP.EXE's holds neither its start nor its
  size pass.
--compare EXE times another SETUP.EXE as well in each round (an earlier
build: a change's effect, free of the drift between two runs).
--looks adds the way of the rounds before: the scripted user times from its
press of "&Installer" to the appearance of the question after the copy,
looking at the windows every --poll ms (20).

Start-up is timed from process start to the Directory dialog for a script of
5000 entries; Cancel latency from the press of Annuler to the closing
message (both by the scripted user's looks, every 5 ms).

--requests counts, instead of timing, the wineserver requests of one copy of
each payload: SETUP.EXE's thread between the start and end of the timed
span, and the floor's copy, read from the trace of a wineserver started with
-d1 (`WINEDEBUG=+server` would leave the persistent server tracing); per
chunk from "big", per file from "many" less its chunks at the per-chunk
figure, and the requests that make them.

The table's heading says which SETUP.EXE ran (the shipped PE32 file itself
where 32-bit Wine runs, else the x86_64 build made with the shipped options)
and under which Wine, and the load of the machine.
"""
import argparse
import collections
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import time

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
        self.dir = os.path.abspath(os.path.join(build, "bench"))
        self.tool = os.path.join(ROOT, "tools", "winebed.sh")
        sh(self.tool, "prepare", self.dir)
        sh(self.tool, "flush", self.dir)
        sh("taskset", "-c", "0", self.tool, "start", self.dir)
        self.drive_c = os.path.join(self.dir, "prefix", "drive_c")

    def wine(self, *args):
        return subprocess.run(["taskset", "-c", "0", self.tool, "run", self.dir, *args],
                              check=False, capture_output=True, text=True)

    def timed_wine(self, *args):
        """The whole process's wall time, ms."""
        start = time.perf_counter()
        run = self.wine(*args)
        elapsed = (time.perf_counter() - start) * 1000.0
        if run.returncode != 0:
            raise RuntimeError(f"{args[0]} failed (status {run.returncode}): {run.stderr}")
        return elapsed

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


def chunks(files):
    """Chunk steps of SETUP.EXE's copy: a file of a multiple of 8192 bytes
    takes one more, which reads nothing."""
    return sum(size // 8192 + 1 for _, size in files)


def script(entries):
    lines = ["[Installer]", "Application=Tavelin", "Titre=Installation de Tavelin", "[Fichiers]"]
    lines += [f"F{i}={name}" for i, name in enumerate(entries)]
    return ("\r\n".join(lines) + "\r\n").encode("cp1252")


def peer_installer(base, files, out, crc):
    """A silent NSIS installer of the payload (default settings: zlib,
    CRC check on), or an empty one when files is empty. Made again only
    when missing."""
    if os.path.exists(out):
        return out
    lines = ["Name \"Banc\"", f"OutFile \"{out}\"", "InstallDir \"C:\\bench\\peer\"",
             "SilentInstall silent", "RequestExecutionLevel user"]
    if not crc:
        lines.append("CRCCheck off")
    lines.append("Section")
    folder = None
    for name, _ in files:
        sub = name.rpartition("\\")[0]
        if sub != folder:
            lines.append(f"SetOutPath \"$INSTDIR{chr(92) + sub if sub else ''}\"")
            folder = sub
        lines.append(f"File \"{os.path.join(base, *name.split(chr(92)))}\"")
    lines.append("SectionEnd")
    nsi = out[:-4] + ".nsi"
    with open(nsi, "w") as f:
        f.write("\n".join(lines) + "\n")
    sh("makensis", "-V1", nsi)
    return out


def play(bed, dist, inst, steps, poll=5, program="SETUP.EXE"):
    """Plays a scenario; the scripted user looks at the windows every `poll`
    ms where it looks."""
    scenario = os.path.join(dist, "scenario.txt")
    with open(scenario, "w") as f:
        f.write(steps.replace("INST", inst))
    transcript = os.path.join(dist, "transcript.txt")
    # A figure comes only from a run that went through: never from the
    # transcript of the run before, nor from one that stopped half way.
    if os.path.exists(transcript):
        os.remove(transcript)
    run = bed.wine(os.path.join(bed.build, "userdriver.exe"), "--program", winpath(os.path.join(dist, program)),
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
TIMEDpress 259
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


def measure_setup(bed, dist, inst_unix, inst, program="SETUP.EXE"):
    """The copy as SETUP.EXE's thread times it, ms."""
    shutil.rmtree(inst_unix, ignore_errors=True)
    t = play(bed, dist, inst, INSTALL.replace("TIMED", "    time-next-window\n    "), 20, program)
    found = re.search(r"^timed window: (\d+(?:\.\d+)?) ms$", t, re.M)
    if not found:
        raise RuntimeError("no timed copy:\n" + t)
    return float(found.group(1))


def measure_setup_looks(bed, dist, inst_unix, inst, poll):
    """The way of the rounds before: from the press of "&Installer" to the
    question after the copy, as the scripted user sees them, ms."""
    shutil.rmtree(inst_unix, ignore_errors=True)
    t = play(bed, dist, inst, INSTALL.replace("TIMED", "    "), poll)
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


def prepare(bed, build, kind, compare=None):
    """The payload, SETUP.EXE and its script, the floor's list and the peer
    installers in the bed; returns what the runs need."""
    base = os.path.join(bed.drive_c, "bench", kind)
    files = payload(base, kind)
    with open(os.path.join(base, "SETUP.INF"), "wb") as f:
        f.write(script([name for name, _ in files]))
    shutil.copyfile(os.path.join(build, "SETUP.EXE"), os.path.join(base, "SETUP.EXE"))
    if compare:
        shutil.copyfile(compare, os.path.join(base, "COMPARE.EXE"))
        shutil.copyfile(os.path.join(base, "SETUP.INF"), os.path.join(base, "COMPARE.INF"))
    listing = os.path.join(base, "list.txt")
    with open(listing, "w") as f:
        for name, _ in files:
            f.write(winpath(os.path.join(base, *name.split("\\"))) + "\t" + name + "\n")
    peers = os.path.join(bed.drive_c, "bench", "peer-exe")
    os.makedirs(peers, exist_ok=True)
    peer = {
        "default": peer_installer(base, files, os.path.join(peers, f"{kind}-default.exe"), True),
        "CRC off": peer_installer(base, files, os.path.join(peers, f"{kind}-crcoff.exe"), False),
        "empty": peer_installer(base, [], os.path.join(peers, "empty.exe"), True),
    }
    return base, files, listing, peer


def fresh_folders(root, files):
    """The floor's destination, empty but for the payload's folders."""
    shutil.rmtree(root, ignore_errors=True)
    for name, _ in files:
        os.makedirs(os.path.join(root, *name.split("\\")[:-1]), exist_ok=True)


def check_installed(root, files, who):
    """A figure counts only if the whole payload was installed."""
    for name, size in files:
        path = os.path.join(root, *name.split("\\"))
        if not os.path.exists(path) or os.path.getsize(path) != size:
            raise RuntimeError(f"{who} did not install {name}")


def bench(bed, build, kinds, runs, looks, poll, compare):
    results = {}
    bench_dir = os.path.join(bed.drive_c, "bench")
    inst_unix = os.path.join(bench_dir, "inst")
    floor_unix = os.path.join(bench_dir, "floor")
    peer_unix = os.path.join(bench_dir, "peer")
    for kind in kinds:
        base, files, listing, peer = prepare(bed, build, kind, compare)
        add = lambda method, value: results.setdefault((kind, method), []).append(value)
        for round_number in range(runs):
            add("SETUP.EXE", measure_setup(bed, base, inst_unix, "C:\\bench\\inst"))
            if round_number == 0:
                check_installed(inst_unix, files, "SETUP.EXE")
            if compare:
                add("SETUP.EXE compared", measure_setup(bed, base, inst_unix, "C:\\bench\\inst", "COMPARE.EXE"))
            if looks:
                add(f"SETUP.EXE, the way before (looks every {poll} ms)",
                    measure_setup_looks(bed, base, inst_unix, "C:\\bench\\inst", poll))
            for mode in ("posted", "plain", "written"):
                fresh_folders(floor_unix, files)
                floor = bed.wine(os.path.join(build, "copyfloor.exe"), mode, winpath(listing),
                                 "C:\\bench\\floor")
                if floor.returncode != 0:
                    raise RuntimeError(f"copyfloor {mode} failed: {floor.stderr}")
                method = {"posted": "floor", "plain": "plain loop",
                          "written": "plain loop's writes alone"}[mode]
                add(method, float(floor.stdout.strip()))
                if round_number == 0:
                    check_installed(floor_unix, files, f"copyfloor {mode}")
            whole = {}
            for variant in ("default", "CRC off", "empty"):
                shutil.rmtree(peer_unix, ignore_errors=True)
                whole[variant] = bed.timed_wine(winpath(peer[variant]))
                if round_number == 0 and variant != "empty":
                    check_installed(peer_unix, files, f"the peer ({variant})")
            add("peer, default", whole["default"] - whole["empty"])
            add("peer, CRC off", whole["CRC off"] - whole["empty"])
            add("peer, default, whole process", whole["default"])
            add("empty peer, whole process (Wine's start)", whole["empty"])
        for path in (inst_unix, floor_unix, peer_unix):
            shutil.rmtree(path, ignore_errors=True)
    return results


def start_and_cancel(bed, build, runs):
    results = {}
    many = os.path.join(bed.drive_c, "bench", "many")
    payload(many, "many")
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
    shutil.copyfile(os.path.join(build, "SETUP.EXE"), os.path.join(start, "SETUP.EXE"))
    big = os.path.join(bed.drive_c, "bench", "big")
    prepare(bed, build, "big")
    for _ in range(runs):
        windows, _ = times(play(bed, start, "", STARTUP))
        results.setdefault(("start-up", "5000 entries to the Directory dialog"), []).append(windows[1])
        shutil.rmtree(os.path.join(bed.drive_c, "bench", "inst"), ignore_errors=True)
        t = play(bed, big, "C:\\bench\\inst", CANCEL)
        windows, actions = times(t)
        press = [ms for ms, a in actions if a == "press 261"][0]
        results.setdefault(("cancel", "Annuler to the closing message"), []).append(
            [w for w in windows if w > press][0] - press)
    shutil.rmtree(os.path.join(bed.drive_c, "bench", "inst"), ignore_errors=True)
    return results


# a request "0024: name( ... )"; its reply reads "0024: name() = ..."
REQUEST = re.compile(r"^([0-9a-f]{4}): (\w+)\( ")
MARK = re.compile(r"^([0-9a-f]{4}): open_event\(.*name=L\"(TavelinGate-\d+-timed|CopyFloor-mark)\"")


def count_span(trace):
    """Requests of the marked thread between its two marks, by name."""
    counts = collections.Counter()
    thread = None
    inside = False
    with open(trace, errors="replace") as f:
        for line in f:
            mark = MARK.match(line)
            if mark and (thread is None or mark.group(1) == thread):
                if inside:
                    return counts
                thread, inside = mark.group(1), True
                continue
            if inside:
                request = REQUEST.match(line)
                if request and request.group(1) == thread:
                    counts[request.group(2)] += 1
    raise RuntimeError(f"no marked span in {trace}")


def requests(bed, build, kinds, compare=None):
    """Server requests of one copy of each payload, SETUP.EXE's and the
    floor's, under a wineserver that traces them."""
    env = dict(os.environ, WINEPREFIX=os.path.join(bed.dir, "prefix"))
    server = "/usr/lib/wine/wineserver"
    counted = {}
    for kind in kinds:
        base, files, listing, _ = prepare(bed, build, kind, compare)
        for who in ("SETUP.EXE", "floor") + (("SETUP.EXE compared",) if compare else ()):
            sh(bed.tool, "flush", bed.dir)
            trace = os.path.join(bed.dir, f"trace-{kind}.txt")
            with open(trace, "w") as out:
                traced = subprocess.Popen(["taskset", "-c", "0", server, "-f", "-d1"], env=env,
                                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                          stderr=out)
                try:
                    time.sleep(1)
                    if who.startswith("SETUP.EXE"):
                        measure_setup(bed, base, os.path.join(bed.drive_c, "bench", "inst"), "C:\\bench\\inst",
                                      "COMPARE.EXE" if who == "SETUP.EXE compared" else "SETUP.EXE")
                    else:
                        fresh_folders(os.path.join(bed.drive_c, "bench", "floor"), files)
                        bed.wine(os.path.join(build, "copyfloor.exe"), "posted", winpath(listing), "C:\\bench\\floor")
                finally:
                    subprocess.run([server, "-k"], env=env, capture_output=True)
                    traced.wait()
            counted[(kind, who)] = count_span(trace)
            os.remove(trace)
    sh("taskset", "-c", "0", bed.tool, "start", bed.dir)
    return counted


def request_table(counted, files_of):
    lines = ["| program | requests per chunk (big) | per file (many) | per chunk, by request | per file, by request |",
             "|---|---|---|---|---|"]
    for who in ("SETUP.EXE compared", "SETUP.EXE", "floor"):
        big, many = counted.get(("big", who)), counted.get(("many", who))
        if big is None or many is None:
            continue
        # the floor too takes one more step for a file of a multiple of 8192 bytes
        big_chunks, many_chunks = chunks(files_of["big"]), chunks(files_of["many"])
        per_chunk = {name: n / big_chunks for name, n in big.items()}
        per_file = {name: (n - per_chunk.get(name, 0) * many_chunks) / len(files_of["many"])
                    for name, n in many.items()}

        def top(figures):
            shown = sorted(((v, k) for k, v in figures.items() if v >= 0.05), reverse=True)
            return ", ".join(f"{k} {v:.2f}" for v, k in shown)
        lines.append(f"| {who} | {sum(per_chunk.values()):.2f} | {sum(per_file.values()):.1f} | "
                     f"{top(per_chunk)} | {top(per_file)} |")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--out", default=os.path.join(ROOT, "docs", "benchmark-latest.md"))
    parser.add_argument("--build", default=None)
    parser.add_argument("--only", choices=("big", "many"), default=None,
                        help="one payload, without start-up and Cancel")
    parser.add_argument("--looks", action="store_true", help="also time SETUP.EXE the way before")
    parser.add_argument("--poll", type=int, default=20, help="looks of the scripted user during a copy, ms (--looks)")
    parser.add_argument("--compare", default=None, help="another SETUP.EXE to time in each round")
    parser.add_argument("--requests", action="store_true", help="count server requests instead of timing")
    args = parser.parse_args()
    arch = sh(os.path.join(ROOT, "tools", "winebed.sh"), "arch").strip()
    wine = sh(os.path.join(ROOT, "tools", "winebed.sh"), "describe").strip()
    build = args.build or os.path.join(ROOT, "build", f"test-{arch}")
    program = describe_exe(os.path.join(build, "SETUP.EXE"))
    kinds = (args.only,) if args.only else ("big", "many")
    load_before = os.getloadavg()
    bed = Bed(build)
    try:
        if args.requests:
            counted = requests(bed, build, ("big", "many"),
                               os.path.abspath(args.compare) if args.compare else None)
            files_of = {kind: payload(os.path.join(bed.drive_c, "bench", kind), kind) for kind in ("big", "many")}
            table = request_table(counted, files_of)
            print(f"SETUP.EXE: {program}\nWine: {wine}\n\nwineserver requests of one copy\n\n{table}")
            return 0
        results = bench(bed, build, kinds, args.runs, args.looks, args.poll,
                        os.path.abspath(args.compare) if args.compare else None)
        if not args.only:
            results.update(start_and_cancel(bed, build, args.runs))
    finally:
        bed.stop()
    load_after = os.getloadavg()

    lines = ["| payload | method | min ms | median ms | max ms | median / floor | median / peer's default |",
             "|---|---|---|---|---|---|---|"]
    for (kind, method), values in results.items():
        low, mid, high = summary(values)
        floor = results.get((kind, "floor"))
        peer = results.get((kind, "peer, default"))
        ratio = f"{mid / statistics.median(floor):.2f}" if floor else ""
        to_peer = f"{mid / statistics.median(peer):.2f}" if peer and not method.startswith(("empty", "peer, default, whole")) else ""
        lines.append(f"| {kind} | {method} | {low:.0f} | {mid:.0f} | {high:.0f} | {ratio} | {to_peer} |")
    table = "\n".join(lines)
    load = (f"load average (1 min) {load_before[0]:.2f} before, {load_after[0]:.2f} after, "
            f"on {os.cpu_count()} CPUs")
    print(f"SETUP.EXE: {program}\nWine: {wine}\n{load}\n{table}")
    with open(args.out, "w") as f:
        f.write("# Install speed\n\n")
        f.write(f"{args.runs} runs of each, interleaved run by run, pinned to CPU 0 (`taskset -c 0`) with the "
                f"prefix's wineserver, made by `tools/bench/run.py`. SETUP.EXE: the copy, timed in its own "
                f"thread from the progress dialog's creation to its destruction, with no look of the "
                f"scripted user meanwhile. Peer: a silent NSIS installer of the same payload (Debian's "
                f"makensis), its whole process less that of an empty NSIS installer of the same run, so "
                f"that neither figure holds Wine's process start.\n\n"
                f"- SETUP.EXE: {program}\n- Wine: {wine}\n- Machine: {load}\n\n{table}\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
