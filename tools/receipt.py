#!/usr/bin/env python3
"""Prints the receipt of an installation made in a test-bed prefix, from what
the program left there: every file it added, with its size and the file of
the distribution it equals, the directories created, the shortcuts and the
registry values written.

    receipt.py BED DIST [PLAN]

BED is the test bed whose prefix was installed into from its pristine state,
DIST the distribution directory. PLAN, a file holding setupcheck's plan of
the same installation, tells which source each file is expected to be a copy
of when several files of the distribution are alike. Exit code 1 when an
installed file equals no file of the distribution.
"""
import os
import re
import struct
import sys

WATCHED = [
    r"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tavelin\.exe",
    r"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\.*",
    r"Software\\Classes\\txtfile\\shell\\(open|print)\\command",
    r"Software\\Classes\\\..*",
]
SHELL_FOLDERS = r"Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
LINK_HEADER = b"\x4c\x00\x00\x00\x01\x14\x02\x00"


def reg_unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            n = text[i + 1]
            if n == "x":
                m = re.match(r"[0-9a-fA-F]{1,4}", text[i + 2:])
                out.append(chr(int(m.group(0), 16)))
                i += 2 + len(m.group(0))
                continue
            out.append({"n": "\n", "r": "\r", "t": "\t", "0": "\0"}.get(n, n))
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def read_reg(path):
    """{key: {name: value}} of the string values of a Wine registry file."""
    keys, current = {}, None
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("["):
                current = reg_unescape(line[1:line.rindex("]")])
                keys.setdefault(current, {})
            elif current is not None:
                m = re.match(r'^(@|"((?:[^"\\]|\\.)*)")=(str\(\d\):)?"((?:[^"\\]|\\.)*)"$', line)
                if m:
                    name = "" if m.group(1) == "@" else reg_unescape(m.group(2))
                    keys[current][name] = reg_unescape(m.group(4))
    return keys


def registry(directory):
    """The machine and user registry of a prefix (or of its pristine copy)."""
    return {**read_reg(os.path.join(directory, "system.reg")),
            **read_reg(os.path.join(directory, "user.reg"))}


def folders(bed):
    """The folders of the prefix that the program and the plan start from."""
    now = registry(os.path.join(bed, "prefix"))
    shell = now.get(SHELL_FOLDERS, {})
    return {
        "windows": now.get(r"Software\Microsoft\Windows NT\CurrentVersion", {}).get("SystemRoot", ""),
        "program-files": now.get(r"Software\Microsoft\Windows\CurrentVersion", {}).get("ProgramFilesDir", ""),
        "programs": shell.get("Programs", ""),
        "desktop": shell.get("Desktop", ""),
    }


def lnk_fields(path):
    data = open(path, "rb").read()
    flags = struct.unpack_from("<I", data, 0x14)[0]
    icon_index = struct.unpack_from("<i", data, 0x38)[0]
    pos = 0x4C
    if flags & 0x1:  # HasLinkTargetIDList
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    target = "?"
    if flags & 0x2:  # HasLinkInfo
        size = struct.unpack_from("<I", data, pos)[0]
        local = struct.unpack_from("<I", data, pos + 16)[0]
        if local:
            end = data.index(b"\0", pos + local)
            target = data[pos + local:end].decode("cp1252")
        pos += size
    unicode = bool(flags & 0x80)
    strings = {}
    for bit, name in ((0x4, "description"), (0x8, "relative"), (0x10, "directory"),
                      (0x20, "arguments"), (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, pos)[0]
            pos += 2
            if unicode:
                strings[name] = data[pos:pos + 2 * count].decode("utf-16-le").rstrip("\0")
                pos += 2 * count
            else:
                strings[name] = data[pos:pos + count].decode("cp1252").rstrip("\0")
                pos += count
    return target, strings.get("description", ""), strings.get("icon", ""), icon_index


class Drives:
    """Windows paths of the prefix and the Linux paths they stand for."""

    def __init__(self, prefix):
        devices = os.path.join(prefix, "dosdevices")
        self.roots = {}
        for name in os.listdir(devices):
            if re.fullmatch(r"[a-z]:", name):
                self.roots[name[0].upper()] = os.path.realpath(os.path.join(devices, name))

    def unix(self, path):
        root = self.roots.get(path[:1].upper()) if path[1:2] == ":" else None
        if root is None:
            return None
        return os.path.join(root, *[p for p in path[2:].split("\\") if p])

    def windows(self, path):
        # the drive whose root holds the path most closely: C: before Z:, which is /
        best = None
        for letter, root in self.roots.items():
            if path == root or path.startswith(root.rstrip("/") + "/"):
                if best is None or len(root) > len(self.roots[best]):
                    best = letter
        rel = os.path.relpath(path, self.roots[best])
        return best + ":\\" + ("" if rel == "." else rel.replace("/", "\\"))


def added(bed, drives, install_dir):
    """Linux paths of the files and directories the installation added."""
    prefix = os.path.join(bed, "prefix")
    with open(os.path.join(bed, "pristine", "files.list"), encoding="utf-8",
              errors="surrogateescape") as f:
        pristine = set(f.read().splitlines())
    paths = set()
    drive_c = os.path.join(prefix, "drive_c")
    for top, dirnames, filenames in os.walk(drive_c):
        for name in dirnames + filenames:
            path = os.path.join(top, name)
            if os.path.relpath(path, prefix) not in pristine:
                paths.add(path)
    # An installation directory on another drive has no pristine list: all
    # of it is the installation's.
    root = drives.unix(install_dir) if install_dir else None
    if root and os.path.isdir(root) and not root.startswith(drive_c + "/"):
        paths.add(root)
        for top, dirnames, filenames in os.walk(root):
            paths.update(os.path.join(top, n) for n in dirnames + filenames)
    return paths


def planned_sources(plan_text):
    """{destination: source} of the Files section of a plan."""
    sources = {}
    for line in plan_text.splitlines():
        m = re.fullmatch(r"  (.*)  \d+ bytes  copy of (.*)", line)
        if m:
            sources[m.group(1).upper()] = m.group(2)
    return sources


def receipt(bed, dist, plan_text=""):
    """The receipt's text, and whether every file equals a file of dist."""
    bed = os.path.realpath(bed)
    prefix = os.path.join(bed, "prefix")
    drives = Drives(prefix)
    now, before = registry(prefix), registry(os.path.join(bed, "pristine"))
    install_dir = now.get(r"Software\Microsoft\Windows\CurrentVersion\App Paths\Tavelin.exe", {}).get("")
    if install_dir and install_dir.endswith("\\Tavelin.exe"):
        install_dir = install_dir[:-len("\\Tavelin.exe")]
    paths = added(bed, drives, install_dir)

    shell = now.get(SHELL_FOLDERS, {})
    link_folders = [drives.unix(shell[n]) for n in ("Programs", "Desktop") if shell.get(n)]

    def is_link(path):
        inside = any(f and (path + "/").startswith(f.rstrip("/") + "/") for f in link_folders)
        with open(path, "rb") as f:
            return inside and f.read(len(LINK_HEADER)) == LINK_HEADER

    files = sorted(p for p in paths if os.path.isfile(p) and not is_link(p))
    links = sorted(p for p in paths if os.path.isfile(p) and is_link(p))
    directories = sorted(p for p in paths if os.path.isdir(p))

    by_size = {}
    for top, _, names in os.walk(dist):
        for name in names:
            path = os.path.join(top, name)
            by_size.setdefault(os.path.getsize(path), []).append(os.path.relpath(path, dist))
    expected = planned_sources(plan_text)

    out = ["Receipt of the installation", "===========================",
           f"Installation directory: {install_dir or '(none: the App Paths entry of Tavelin.exe is missing)'}",
           "", "Files"]
    all_equal = True
    for path in sorted(files, key=drives.windows):
        data = open(path, "rb").read()
        alike = sorted(rel.replace("/", "\\") for rel in by_size.get(len(data), [])
                       if open(os.path.join(dist, rel), "rb").read() == data)
        name = drives.windows(path)
        wanted = expected.get(name.upper())
        if wanted in alike:
            what = "copy of " + wanted
        elif alike:
            what = "copy of " + alike[0]
        else:
            what = "DIFFERS FROM every file of the distribution"
            all_equal = False
        out.append(f"  {name}  {len(data)} bytes  {what}")

    out += ["", "Directories created"]
    out += sorted(f"  {drives.windows(d)}" for d in directories)

    out += ["", "Shortcuts"]
    for path in sorted(links, key=drives.windows):
        target, description, icon, index = lnk_fields(path)
        out.append(f"  {drives.windows(path)}")
        out.append(f"      target {target}; description \"{description}\"; icon {icon},{index}")

    out += ["", "Registry values written"]
    for key in sorted(now):
        if not any(re.fullmatch(w, key) for w in WATCHED):
            continue
        for name, value in sorted(now[key].items()):
            if before.get(key, {}).get(name) != value:
                root_name = "HKEY_CLASSES_ROOT\\" + key[len("Software\\Classes\\"):] \
                    if key.startswith("Software\\Classes\\") else "HKEY_LOCAL_MACHINE\\" + key
                out.append(f"  {root_name}  {name or '(default)'} = {value}")
    return "\n".join(out) + "\n", all_equal


def main(bed, dist, plan=None):
    plan_text = open(plan, encoding="utf-8").read() if plan else ""
    text, all_equal = receipt(bed, dist, plan_text)
    sys.stdout.write(text)
    return 0 if all_equal else 1


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
