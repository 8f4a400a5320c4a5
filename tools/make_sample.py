#!/usr/bin/env python3
"""Lays out the sample distribution: SETUP.EXE, its script and the product's
files, its uninstaller among them, side by side, as a packager ships them.

    make_sample.py SAMPLE_SOURCES OUTPUT SETUP.EXE Tavelin.exe Untave.exe
"""
import os
import random
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def dictionary(path):
    # A word list of a few megabytes, so that the copy takes long enough to be seen.
    rng = random.Random(1964)
    syllables = ["ba", "ce", "di", "fo", "gu", "la", "me", "ni", "po", "ru", "sa", "te",
                 "vi", "zo", "an", "en", "on", "ou", "ai", "eu", "ch", "qu", "tr", "pl"]
    words = set()
    while len(words) < 400000:
        words.add("".join(rng.choice(syllables) for _ in range(rng.randint(2, 5))))
    with open(path, "wb") as f:
        f.write("\r\n".join(sorted(words)).encode("ascii") + b"\r\n")


def main(sources, output, setup_exe, tavelin_exe, untave_exe):
    os.makedirs(output, exist_ok=True)
    for name in ("SETUP.INF", "Lisezmoi.txt", "LICENCE.TXT", "BONJOUR.TXT", "TAVELIN.INI"):
        shutil.copyfile(os.path.join(sources, name), os.path.join(output, name))
    shutil.copyfile(setup_exe, os.path.join(output, "SETUP.EXE"))
    shutil.copyfile(tavelin_exe, os.path.join(output, "Tavelin.exe"))
    shutil.copyfile(untave_exe, os.path.join(output, "Untave.exe"))
    subprocess.check_call([sys.executable, os.path.join(HERE, "make_tile.py"),
                           os.path.join(output, "FOND.BMP")])
    dic = os.path.join(output, "FRANCAIS.DIC")
    if not os.path.exists(dic):
        dictionary(dic)


if __name__ == "__main__":
    main(*sys.argv[1:6])
