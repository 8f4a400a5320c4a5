#!/usr/bin/env python3
"""Prints the receipt of an installation made in a test-bed prefix: every
installed file with its size and whether it equals its source, the
directories created, the shortcuts and the registry values written.

    receipt.py BED SAMPLE_DIR SHOTS_DIR
"""
import os
import re
import struct
import sys

WATCHED = [
    r"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tavelin\.exe",
    r"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\.*",
    r"Software\\Classes\\txtfile\\shell\\(open|print)\\command",
    r"Software\\Classes\\\.[^\\]*",
]


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


def main(bed, sample, shots):
    prefix = os.path.join(bed, "prefix")
    drive_c = os.path.join(prefix, "drive_c")

    def unix(path):
        assert path[:2].upper() == "C:", path
        return os.path.join(drive_c, *[p for p in path[3:].split("\\") if p])

    now = {**read_reg(os.path.join(prefix, "system.reg")), **read_reg(os.path.join(prefix, "user.reg"))}
    before = {**read_reg(os.path.join(bed, "pristine", "system.reg")),
              **read_reg(os.path.join(bed, "pristine", "user.reg"))}
    install_dir = now.get(r"Software\Microsoft\Windows\CurrentVersion\App Paths\Tavelin.exe", {}).get("")
    if not install_dir:
        print("No installation found: the App Paths entry of Tavelin.exe is missing.")
        return 1
    install_dir = install_dir[: -len("\\Tavelin.exe")]
    windows = "C:\\windows"

    print("Receipt of the sample installation")
    print("==================================")
    print(f"Installation directory: {install_dir}\n")

    print("Files")
    script = open(os.path.join(sample, "SETUP.INF"), "rb").read().decode("cp1252").replace("\r\n", "\n")
    section = script.split("[Fichiers]", 1)[1].split("\n[", 1)[0]
    all_ok = True
    for line in section.split("\n"):
        if not line or line.startswith(";") or "=" not in line:
            continue
        value = line.split("=", 1)[1].lstrip(" \t=")
        base = install_dir
        if value.startswith("%"):
            value, base = value[1:], windows
        dest, _, src = value.rpartition(";")
        if not dest:
            dest = src
        target = base + "\\" + dest
        path = unix(target)
        same = os.path.exists(path) and open(path, "rb").read() == open(os.path.join(sample, src), "rb").read()
        all_ok = all_ok and same
        size = os.path.getsize(path) if os.path.exists(path) else 0
        print(f"  {target}  {size} bytes  {'copy of ' + src if same else 'DIFFERS FROM ' + src}")

    print("\nDirectories created")
    root = unix(install_dir)
    print(f"  {install_dir}")
    below = [os.path.relpath(os.path.join(dirpath, d), root).replace("/", "\\")
             for dirpath, dirnames, _ in os.walk(root) for d in dirnames]
    for rel in sorted(below):
        print(f"  {install_dir}\\{rel}")

    folders = now.get(r"Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders", {})
    print("\nShortcuts")
    for folder in (folders.get("Programs", "") + "\\Tavelin", folders.get("Desktop", "")):
        if not folder or not os.path.isdir(unix(folder)):
            continue
        for name in sorted(os.listdir(unix(folder))):
            if name.lower().endswith(".lnk"):
                target, description, icon, index = lnk_fields(os.path.join(unix(folder), name))
                print(f"  {folder}\\{name}")
                print(f"      target {target}; description \"{description}\"; icon {icon},{index}")

    print("\nRegistry values written")
    for key in sorted(now):
        if not any(re.fullmatch(w, key) for w in WATCHED):
            continue
        for name, value in sorted(now[key].items()):
            if before.get(key, {}).get(name) != value:
                root_name = "HKEY_CLASSES_ROOT\\" + key[len("Software\\Classes\\"):] \
                    if key.startswith("Software\\Classes\\") else "HKEY_LOCAL_MACHINE\\" + key
                print(f"  {root_name}  {name or '(default)'} = {value}")

    print(f"\nScreenshots: {os.path.abspath(shots)}")
    for name in sorted(os.listdir(shots)):
        print(f"  {name}")
    return 0 if all_ok else 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
