#!/usr/bin/env python3
"""Plays the sample installation under Wine, then compares what setupcheck
planned with the receipt of what SETUP.EXE really did: files, directories,
shortcuts and registry values must agree line for line.

    plan_matches_receipt.py SOURCE_DIR BUILD_DIR BED_DIR SETUPCHECK
"""
import os
import subprocess
import sys
import tempfile


def sections(text):
    """The lines from the "Files" heading to the end of the registry values."""
    lines = text.splitlines()
    start = lines.index("Files")
    end = len(lines)
    for i in range(start, len(lines)):
        if lines[i].startswith("Screenshots:"):
            end = i
            break
    return [line for line in lines[start:end] if line.strip()]


def main(source, build, bed, setupcheck):
    tools = os.path.join(source, "tools")
    sys.path.insert(0, tools)
    import receipt

    with tempfile.TemporaryDirectory(prefix="tavelin-shots-") as shots:
        subprocess.check_call([os.path.join(tools, "play-sample.sh"), bed, build, shots])
        prefix = os.path.join(bed, "prefix")
        folders = receipt.read_reg(os.path.join(prefix, "user.reg"))[
            r"Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"]
        # A receipt that finds a file differing says so on its output and
        # exits 1: shown whole, it tells which file.
        receipt_run = subprocess.run([sys.executable, os.path.join(tools, "receipt.py"), bed,
                                      os.path.join(build, "sample"), shots],
                                     capture_output=True, text=True)
        if receipt_run.returncode != 0:
            print(receipt_run.stdout + receipt_run.stderr)
            print("The receipt found the installation differing from the distribution.")
            return 1
        done = receipt_run.stdout
    plan = subprocess.run([setupcheck, "--plan", "--programs", folders["Programs"],
                           "--desktop", folders["Desktop"], "--windows-dir", "C:\\windows",
                           os.path.join(build, "sample", "SETUP.INF")],
                          check=True, capture_output=True, text=True).stdout
    planned, received = sections(plan), sections(done)
    if planned != received:
        print("The plan and the receipt differ:")
        for line in sorted(set(planned) ^ set(received)):
            print(("  planned only:  " if line in planned else "  received only: ") + line)
        return 1
    print(f"plan and receipt agree on {len(planned)} lines")
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
