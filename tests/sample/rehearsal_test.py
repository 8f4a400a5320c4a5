#!/usr/bin/env python3
"""Rehearses a whole distribution with tools/rehearse.py, as ./run-sample.sh
does, in the tests' own test bed:

  sample   the sample distribution: plan and receipt agree, and the copy is
           photographed mid-copy;
  other    a distribution of another product, made here, with names the
           program and Windows resolve (a blank after a name, '/' into a
           directory made before, "..", capitals, a file copied twice), a
           group folder of another name and no registration: they agree too,
           and nothing it points at is missing;
  failing  a distribution with a source missing and a destination Windows
           refuses: each failure message is photographed and answered as a
           user would (the second in the middle of the copy, whose wait goes
           on after it), the later windows are played and photographed, the
           closing message too, and the rehearsal fails naming the first
           failure message first; one that installs neither Tavelin.exe
           nor Untave.exe, nor the target of a shortcut, with markup and
           quotes in its names: plan and receipt agree, and the rehearsal
           fails naming each.

Every rehearsal names its report last. The reports and what the console
said are kept in BUILD_DIR/reports (sample, other, absent, unregistered),
for the browser's test of the page (report_test.py).

    rehearsal_test.py CASE SOURCE_DIR BUILD_DIR BED_DIR SETUPCHECK
"""
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import receipt  # noqa: E402

OTHER = """[Installer]
Application=Bloc-notes Plus
Titre=Mise en place du Bloc-notes
[Fichiers]
Programme=Tavelin.exe 
Aide=doc\\aide.txt;DOCS/AIDE.TXT
Notes=doc/notes.txt;notes.txt
Ici=a\\..\\ici.txt;A.TXT
Copie=b.txt;B.TXT
Autre=B.TXT;A.TXT
Config=%BLOC.INI;bloc.ini
Retrait=%untave.exe;UNTAVE.EXE
[Groupe]
Bloc-notes.lnk=tavelin.exe,Editeur,%Tavelin.exe,1
Aide.lnk=doc/aide.txt,Aide
Notes.lnk =DOC\\notes.txt ,Notes,C:\\windows\\notepad.exe, 2
"""

FAILING = """[Installer]
Application=Incomplet
Titre=Installation incomplete
[Fichiers]
Programme=Tavelin.exe
Absent=ABSENT.TXT
Refus=Lisez|moi.txt;LISEZ.TXT
Gros=GROS.DAT
"""

# What a page would take for markup, in names Windows allows.
UNREGISTERED = """[Installer]
Application=Cartes M\u00e9t\u00e9o & 'Relev\u00e9s'
Titre=Installation des <u>cartes</u> & "relev\u00e9s"
[Fichiers]
Programme=meteo.exe
[Groupe]
M\u00e9t\u00e9o.lnk=meteo.exe,<script>Cartes</script>,%Tavelin.exe,0
Guide.lnk=guide.txt,Guide
"""


def write(directory, files):
    for name, data in files.items():
        path = os.path.join(directory, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)


def script(text):
    return text.replace("\n", "\r\n").encode("cp1252")


def rehearse(source, build, bed, setupcheck, dist, scenario, work, name):
    """The exit code and the console output of a rehearsal whose report is
    BUILD/reports/NAME.html (the output is kept beside it), and whether it
    ended by naming that report, written."""
    reports = os.path.join(build, "reports")
    os.makedirs(reports, exist_ok=True)
    page = os.path.join(reports, name + ".html")
    if os.path.exists(page):
        os.remove(page)
    run = subprocess.run(
        [sys.executable, os.path.join(source, "tools", "rehearse.py"), "--bed", bed,
         "--setup-exe", os.path.join(build, "SETUP.EXE"),
         "--userdriver", os.path.join(build, "userdriver.exe"), "--setupcheck", setupcheck,
         "--stage", os.path.join(work, "stage"), "--shots", os.path.join(work, "shots"),
         "--scenario", scenario, "--report", page, dist],
        capture_output=True, text=True)
    print(run.stdout + run.stderr)
    with open(os.path.join(reports, name + ".txt"), "w", encoding="utf-8") as f:
        f.write(run.stdout)
    reported = run.stdout.endswith(f"Report: {os.path.abspath(page)}\n") and os.path.isfile(page)
    if not reported:
        print("The rehearsal did not end by naming its report,", page)
    return run.returncode, run.stdout, reported


def mid_copy(work):
    """Whether the copy's screenshot was taken in the middle of the copy: the
    scripted user held the program when the file's figure read 40 to 99."""
    with open(os.path.join(work, "shots", "transcript.txt"), encoding="utf-8") as f:
        read = re.search(r'wait-percent 260 40 \(read "(\d+) %"\)\n.*shot ', f.read())
    if not read or not 40 <= int(read.group(1)) <= 99:
        print("The copy's screenshot was not taken mid-copy:", read and read.group(0))
        return False
    return True


def program_files(build, bed):
    """The program-files directory SETUP.EXE reads on the bed's machine:
    C:\\Program Files (x86) for a 32-bit program on 64-bit Windows."""
    wow64 = receipt.is_wow64(os.path.realpath(bed), os.path.join(build, "SETUP.EXE"))
    return receipt.folders(os.path.realpath(bed), wow64)["program-files"]


def played_to_the_end(work, out, programs):
    """Whether the failing installation was played to its end: the failure
    message at start-up photographed first and answered, the one in the
    middle of the copy too, the copy's wait gone on after it, the later
    windows photographed, the closing message as well; and whether the
    verdict names the first failure message first."""
    with open(os.path.join(work, "shots", "transcript.txt"), encoding="utf-8") as f:
        text = f.read()
    shots = os.listdir(os.path.join(work, "shots"))
    closing = re.search(r"^window (\d+) at .*\n(?:  .*\n)*?  message box: \"L'installation n'a "
                        r"pas \u00e9t\u00e9 effectu\u00e9e", text, re.M)
    refused = re.search(r"^window (\d+) at .*\n(?:  .*\n)*?  message box: \"Ne peut ouvrir \"" +
                        re.escape(programs + "\\Incomplet\\Lisez|moi.txt") + r"\" !\"", text, re.M)
    wanted = ["unexpected-01.png", "1-repertoire.png", "2-copie.png", "3-question.png"] + \
        [f"unexpected-{int(m.group(1)):02d}.png" for m in (closing, refused) if m]
    problems = [f"no screenshot {name}" for name in wanted if name not in shots]
    if not closing or not refused:
        problems.append("the closing message or the refused destination's message was not met")
    if not re.search(r"^  message box: \"Ne peut ouvrir .*ABSENT\.TXT\" !\"\n(?:  .*\n)*?"
                     r"  unexpected\n  \d+ ms: shot .*unexpected-01\.bmp\n  \d+ ms: press 1\n",
                     text, re.M):
        problems.append("the first failure message was not photographed and answered with OK")
    waited = re.search(r"^back to window \d+\n  \d+ ms: wait-percent 259 50 \(read \"(\d+) %\"\)",
                       text, re.M)
    if not waited or int(waited.group(1)) < 50:
        problems.append("the copy's wait did not go on after the message that interrupted it")
    verdict = re.search(r"^Failed: (.*)\n(.*)\n  (.*)$", out, re.M)
    if not verdict or not verdict.group(1).startswith('the user saw a failure message: '
                                                      '"Ne peut ouvrir') or \
            not verdict.group(3).startswith('window 1, "Installer": "Ne peut ouvrir') or \
            "ABSENT.TXT" not in verdict.group(3):
        problems.append("the verdict does not name the first failure message first: " +
                        (verdict.group(0) if verdict else "(no verdict)"))
    for problem in problems:
        print(problem)
    return not problems


def shown(wanted, out):
    missing = [w for w in wanted if w not in out]
    if missing:
        print("Not in the rehearsal:", *missing, sep="\n  ")
    return not missing


def main(case, source, build, bed, setupcheck):
    generic = os.path.join(source, "tools", "accept-all.scenario")
    programs = program_files(build, bed)
    with tempfile.TemporaryDirectory(prefix="tavelin-rehearsal-") as work:
        dist = os.path.join(work, "dist")
        if case == "sample":
            code, out, reported = rehearse(
                source, build, bed, setupcheck, os.path.join(build, "sample"),
                os.path.join(source, "sample", "accept-defaults.scenario"), work, "sample")
            wanted = ["Plan and receipt agree", "  5-fin.png", "  C:\\windows\\Untave.exe  "]
            return 0 if code == 0 and reported and shown(wanted, out) and mid_copy(work) else 1
        if case == "other":
            write(dist, {"SETUP.INF": script(OTHER), "Tavelin.exe": b"MZ bloc-notes",
                         "docs/aide.txt": b"aide", "NOTES.TXT": b"notes", "A.TXT": b"pareil",
                         "B.TXT": b"pareil", "bloc.ini": b"[Bloc]",
                         "UNTAVE.EXE": b"MZ retrait"})
            code, out, reported = rehearse(source, build, bed, setupcheck, dist, generic, work,
                                           "other")
            group = "C:\\users\\root\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Bloc-notes Plus"
            wanted = ["Plan and receipt agree",
                      "  " + programs + "\\Bloc-notes Plus\\doc\\notes.txt  5 bytes  copy of NOTES.TXT",
                      "  " + programs + "\\Bloc-notes Plus\\b.txt  6 bytes  copy of A.TXT",
                      "  C:\\windows\\BLOC.INI  6 bytes  copy of bloc.ini",
                      "  " + group + "\\Notes.lnk", "  C:\\users\\root\\Desktop\\Bloc-notes.lnk"]
            passed = code == 0 and reported and shown(wanted, out)
            return 0 if passed and "MISSING" not in out else 1
        if case == "failing":
            # the copy of 3 MB takes the overall figure from 0 to 99 %
            write(dist, {"SETUP.INF": script(FAILING), "Tavelin.exe": b"MZ",
                         "LISEZ.TXT": b"lisez", "GROS.DAT": bytes(3 << 20)})
            code, out, reported = rehearse(source, build, bed, setupcheck, dist, generic, work,
                                           "absent")
            failed = "unexpected window \"Installer\" saying \"Ne peut ouvrir"
            if code == 0 or not reported or not shown([failed], out) or \
                    not played_to_the_end(work, out, programs):
                return 1
            dist = os.path.join(work, "unregistered")
            write(dist, {"SETUP.INF": script(UNREGISTERED), "meteo.exe": b"MZ meteo"})
            code, out, reported = rehearse(source, build, bed, setupcheck, dist, generic, work,
                                           "unregistered")
            home = programs + "\\Cartes M\u00e9t\u00e9o & 'Relev\u00e9s'\\"
            named = "program " + home + "Tavelin.exe, named by HKEY_"
            wanted = ["Plan and receipt agree",
                      named + "LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App ",
                      named + "CLASSES_ROOT\\txtfile\\shell\\open\\command  (default)",
                      named + "CLASSES_ROOT\\txtfile\\shell\\print\\command  (default)",
                      "program C:\\windows\\Untave.exe, named by ",
                      "      MISSING target " + home + "guide.txt\n",
                      "      MISSING icon " + home + "Tavelin.exe\n"]
            return 0 if code != 0 and reported and shown(wanted, out) else 1
    raise SystemExit(f"unknown case {case}")


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:6]))
