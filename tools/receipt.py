#!/usr/bin/env python3
"""Prints the receipt of an installation made in a test-bed prefix, from what
the program left there: every file it added, with its size and the file of
the distribution it equals, the directories created, the shortcuts and the
registry values written. Below a shortcut or a registry value, a line
beginning with "MISSING" names the program or file it points at that is not
on the machine after the installation.

    receipt.py [--wow64] BED DIST [PLAN]

BED is the test bed whose prefix was installed into from its pristine state,
DIST the distribution directory. PLAN, a file holding setupcheck's plan of
the same installation, tells which source each file is expected to be a copy
of when several files of the distribution are alike. --wow64: the program was
a 32-bit one in a 64-bit prefix, which reads the 32-bit registry view
(Software\Wow6432Node) and whose System32 is SysWOW64. Exit code 1 when an
installed file equals no file of the distribution, or when something the
installation points at is missing.
"""
import os
import re
import struct
import sys

WATCHED = [
    r"Software\\(Wow6432Node\\)?Microsoft\\Windows\\CurrentVersion\\App Paths\\Tavelin\.exe",
    r"Software\\(Wow6432Node\\)?Microsoft\\Windows\\CurrentVersion\\Uninstall\\.*",
    r"Software\\Classes\\txtfile\\shell\\(open|print)\\command",
    r"Software\\Classes\\\..*",
]
SHELL_FOLDERS = r"Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
LINK_HEADER = b"\x4c\x00\x00\x00\x01\x14\x02\x00"
MARK = "      MISSING "


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


def view(key, wow64):
    """Where a key of HKEY_LOCAL_MACHINE\\Software that a program reads lies:
    for a 32-bit program on 64-bit Windows, under Software\\Wow6432Node."""
    return "Software\\Wow6432Node" + key[len("Software"):] if wow64 else key


def unviewed(key):
    """The key as the program names it, without Wow6432Node."""
    return re.sub(r"^Software\\Wow6432Node\\", r"Software\\", key, flags=re.I)


def is_wow64(bed, program):
    """Whether the program, run in the bed's prefix, is a 32-bit program on
    64-bit Windows: a PE32 file in a 64-bit prefix."""
    with open(os.path.join(bed, "prefix", "system.reg"), encoding="utf-8", errors="replace") as f:
        win64 = "#arch=win64" in f.read(4096)
    with open(program, "rb") as f:
        head = f.read(4096)
    pe = struct.unpack_from("<I", head, 0x3C)[0]
    return win64 and struct.unpack_from("<H", head, pe + 4)[0] == 0x14C


def folders(bed, wow64=False):
    """The folders of the prefix that the program and the plan start from."""
    now = registry(os.path.join(bed, "prefix"))
    shell = now.get(SHELL_FOLDERS, {})
    current = view(r"Software\Microsoft\Windows\CurrentVersion", wow64)
    return {
        "windows": now.get(r"Software\Microsoft\Windows NT\CurrentVersion", {}).get("SystemRoot", ""),
        "program-files": now.get(current, {}).get("ProgramFilesDir", ""),
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

    def find(self, path):
        """The Linux path of what the Windows path names on the machine, or
        None: names are found whatever their capitals, and the blanks and
        dots that end a name are dropped, as Windows does."""
        root = self.unix(path[:2])
        if root is None:
            return None
        current = root
        for part in path[2:].split("\\"):
            if part in ("", "."):
                continue
            if part == "..":
                if current != root:
                    current = os.path.dirname(current)
                continue
            part = part.rstrip(" .")
            if not part:
                continue
            found = os.path.join(current, part)
            if not os.path.lexists(found):
                try:
                    names = [n for n in os.listdir(current) if n.lower() == part.lower()]
                except OSError:
                    return None
                if not names:
                    return None
                found = os.path.join(current, names[0])
            current = found
        return current if os.path.exists(current) else None

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


class Pointed:
    """Finds what a shortcut or a registry value points at, on the machine
    of a prefix, as Windows would find it."""

    def __init__(self, drives, found, wow64=False):
        self.drives = drives
        self.variables = {"SYSTEMROOT": found["windows"], "WINDIR": found["windows"],
                          "PROGRAMFILES": found["program-files"]}
        system = "\\syswow64" if wow64 else "\\system32"
        self.search = [found["windows"] + system, found["windows"]]

    def expand(self, text):
        return re.sub(r"%([^%]+)%", lambda m: self.variables.get(m.group(1).upper(), m.group(0)),
                      text)

    def exists(self, name, directory=False, extension=False):
        """Whether the file is there (or the directory, when directory is
        set; or the file with ".exe" added, when extension is set, as a
        command's program is found). A name without a drive is looked for
        where Windows looks for programs."""
        name = self.expand(name)
        if name[1:2] == ":":
            where = [name]
        else:
            where = [d + "\\" + name for d in self.search if d]
        for path in where:
            for candidate in (path, path + ".exe") if extension else (path,):
                found = self.drives.find(candidate)
                if found and (directory or os.path.isfile(found)):
                    return True
        return False

    def program(self, command):
        """The program a command starts, and whether it is there. Quoted, it
        is what the quotes hold; unquoted, Windows takes the shortest run of
        blank-separated words that names a program, and a missing one is
        what comes before its first argument (" /" or the first blank)."""
        command = command.strip()
        if command.startswith('"'):
            end = command.find('"', 1)
            name = command[1:end] if end > 0 else command[1:]
            return name, self.exists(name, extension=True)
        words = command.split(" ")
        for i in range(1, len(words) + 1):
            if self.exists(" ".join(words[:i]), extension=True):
                return " ".join(words[:i]), True
        end = command.find(" /")
        if end < 0:
            end = command.find(" ")
        return (command if end < 0 else command[:end]), False


def value_program(key, name, value):
    """How a registry value the installation writes names a program: "path"
    when the value is the program's path, "command" when it is a command
    line, None when it names none."""
    key = unviewed(key)
    if key.startswith("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") and name == "":
        return "path"
    if key.startswith("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") \
            and name == "UninstallString":
        return "command"
    if re.fullmatch(r"Software\\Classes\\txtfile\\shell\\(open|print)\\command", key) \
            and name == "":
        return "command"
    return None


def receipt(bed, dist, plan_text="", wow64=False):
    """The receipt's text, whether every file equals a file of dist, and
    what the installation points at and is missing, each with what names it."""
    bed = os.path.realpath(bed)
    prefix = os.path.join(bed, "prefix")
    drives = Drives(prefix)
    now, before = registry(prefix), registry(os.path.join(bed, "pristine"))
    app_path = r"Software\Microsoft\Windows\CurrentVersion\App Paths\Tavelin.exe"
    install_dir = now.get(app_path, now.get(view(app_path, wow64), {})).get("")
    if install_dir and install_dir.endswith("\\Tavelin.exe"):
        install_dir = install_dir[:-len("\\Tavelin.exe")]
    paths = added(bed, drives, install_dir)
    pointed = Pointed(drives, folders(bed, wow64), wow64)
    missing = []

    def mark(what, name, where):
        out.append(f"{MARK}{what} {name}")
        missing.append(f"{what} {name}, named by {where}")

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
        link = drives.windows(path)
        out.append(f"  {link}")
        out.append(f"      target {target}; description \"{description}\"; icon {icon},{index}")
        if not pointed.exists(target, directory=True):
            mark("target", target, link)
        if icon and not pointed.exists(icon):
            mark("icon", icon, link)

    out += ["", "Registry values written"]
    for key in sorted(now):
        if not any(re.fullmatch(w, key) for w in WATCHED):
            continue
        for name, value in sorted(now[key].items()):
            if before.get(key, {}).get(name) != value:
                root_name = "HKEY_CLASSES_ROOT\\" + key[len("Software\\Classes\\"):] \
                    if key.startswith("Software\\Classes\\") else "HKEY_LOCAL_MACHINE\\" + key
                where = f"{root_name}  {name or '(default)'}"
                out.append(f"  {where} = {value}")
                kind = value_program(key, name, value)
                if kind == "path" and not pointed.exists(value):
                    mark("program", value, where)
                elif kind == "command":
                    program, found = pointed.program(value)
                    if not found:
                        mark("program", program, where)
    return "\n".join(out) + "\n", all_equal, missing


def main(bed, dist, plan=None, wow64=False):
    plan_text = open(plan, encoding="utf-8").read() if plan else ""
    text, all_equal, missing = receipt(bed, dist, plan_text, wow64)
    sys.stdout.write(text)
    return 0 if all_equal and not missing else 1


if __name__ == "__main__":
    args = sys.argv[1:]
    wow64 = args[:1] == ["--wow64"]
    args = args[1:] if wow64 else args
    if len(args) not in (2, 3):
        sys.exit(__doc__)
    sys.exit(main(*args, wow64=wow64))
