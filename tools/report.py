"""Writes the report page of a rehearsal (tools/rehearse.py): one HTML file
that reads as the installation did, to open, mail or attach.

The page holds everything it shows: the screenshots are data: URIs, the
style sheet is inline and allowed by its hash alone, and its content
security policy forbids every script, font, frame and request. Every text
that comes from the distribution, the program or the machine goes through
html.escape, so a name holding "<", "&" or quotes shows as text. The page is
UTF-8; the setup script's lines are read in code page 1252, as the program
reads them.
"""
import base64
import difflib
import hashlib
import html
import os
import re

import bmp2png
import receipt
import transcript

STYLE = """
body { font-family: sans-serif; color: #222; margin: 1.2em 2em; max-width: 75em; }
h1 { font-size: 1.35em; padding: .6em .8em; margin: 0 0 .6em; border-left: .5em solid; }
h1.passed { background: #e3f3e6; border-color: #2e7d32; }
h1.failed { background: #fde4e4; border-color: #c62828; }
h2 { font-size: 1.1em; margin-top: 1.6em; border-bottom: 1px solid #bbb; }
h3 { font-size: 1em; margin: 0 0 .4em; }
ul.causes li { margin: .3em 0; }
table { border-collapse: collapse; }
th, td { text-align: left; vertical-align: top; padding: .15em .6em .15em 0; }
table.facts th { font-weight: normal; color: #555; white-space: nowrap; }
code, .lines td, .script { font-family: monospace; }
.error { color: #b71c1c; font-weight: bold; }
.warning { color: #8a5a00; font-weight: bold; }
.note { color: #555; }
.window { display: flex; gap: 1.2em; padding: .8em 0; border-top: 1px solid #ddd; }
.window.unexpected { background: #fde4e4; }
.window .pictures { flex: 0 0 34em; }
.window .pictures:empty { display: none; }
.window img { display: block; margin-bottom: .5em; max-width: 100%; }
.window img.screen { width: 16em; height: auto; border: 1px solid #999; }
.window .said { white-space: pre-wrap; }
.controls td { font-size: .85em; }
.lines td { font-size: .8em; white-space: pre-wrap; word-break: break-all; width: 49%; }
.lines td.sign { width: 2%; text-align: center; font-weight: bold; }
.lines tr.heading td { font-weight: bold; padding-top: .6em; }
.lines td.differs { background: #ffc9c9; font-weight: bold; }
.lines td.missing { background: #ffe08a; font-weight: bold; }
.lines td.moved { background: #dfe6ff; }
"""

# What the program's windows are, by their class.
KINDS = {"#32770": "dialog", "Installer": "backdrop"}

# Pixels of the screen kept around a window cut out of a screenshot.
MARGIN = 16

# The meta element stands before anything the policy has to cover.
POLICY = ("default-src 'none'; img-src data:; style-src 'sha256-{}'; base-uri 'none'; "
          "form-action 'none'")


def esc(text):
    return html.escape(str(text), quote=True)


class Rehearsal:
    """What one rehearsal found, as tools/rehearse.py gathers it."""

    def __init__(self):
        self.dist = ""            # the distribution folder, as it was given
        self.script = ""          # the setup script, laid out in the stage
        self.setup_exe = ""       # the SETUP.EXE played
        self.wine = ""            # which Wine, and which kind of prefix
        self.date = ""
        self.causes = []          # rehearse.Cause: why it failed; none when it passed
        self.diagnostics = ""     # setupcheck's standard error
        self.run = None           # transcript.Run, or None when none was written
        self.shots = ""           # the folder of the PNG screenshots
        self.planned = ""         # setupcheck's plan
        self.done = ""            # the receipt
        self.seconds = None       # the scripted user's run, Wine's start included
        self.agreed = 0           # lines on which plan and receipt agree, when they do


def script_lines(path):
    """The script's lines as the program reads them: bytes of code page 1252
    (a byte no character has shows as U+FFFD), LF or CR LF ending a line."""
    try:
        data = open(path, "rb").read()
    except OSError:
        return []
    lines = []
    for line in data.split(b"\n"):
        if line.endswith(b"\r"):
            line = line[:-1]
        lines.append(line.decode("cp1252", errors="replace"))
    return lines


def product(lines):
    """The Application= of the [Installer] section, the product's name."""
    section = ""
    for line in lines:
        text = line.strip()
        if text.startswith("["):
            section = text[1:].split("]")[0].strip().lower()
        elif section == "installer" and "=" in text:
            key, value = text.split("=", 1)
            if key.strip().lower() == "application":
                return value.strip()
    return ""


def version_of(path):
    """The file version of a Windows program's version resource, read from
    its fixed part (found by its signature), or "" when it has none."""
    data = open(path, "rb").read()
    at = data.find(b"\xbd\x04\xef\xfe")
    if at < 0 or at + 16 > len(data):
        return ""
    ms, ls = int.from_bytes(data[at + 8:at + 12], "little"), \
        int.from_bytes(data[at + 12:at + 16], "little")
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def sentence(causes, agreed):
    """The verdict in one sentence, its causes in their order."""
    if not causes:
        return (f"Passed: the scripted user met every window it expects and no other, "
                f"setupcheck found no error, nothing is missing, and plan and receipt "
                f"agree on {agreed} lines.")
    return "Failed: " + "; ".join(c.why for c in causes) + "."


def verdict(r):
    return ("failed" if r.causes else "passed"), sentence(r.causes, r.agreed)


def image(data, alt, kind):
    encoded = base64.b64encode(data).decode("ascii")
    return f'<img class="{kind}" src="data:image/png;base64,{encoded}" alt="{esc(alt)}">'


def pictures(path, window):
    """The window cut out of a screenshot at its own size, with a margin of
    what was around it, then the whole screen, small."""
    with open(path, "rb") as f:
        data = f.read()
    out = []
    if window is not None and window.rect:
        left, top, width, height = window.rect
        part = bmp2png.crop(data, left - MARGIN, top - MARGIN, width + 2 * MARGIN,
                            height + 2 * MARGIN)
        if part:
            out.append(image(part, f"Window {window.number} as the user saw it", "part"))
    out.append(image(data, "The whole screen" + (f" while window {window.number} showed"
                                                   if window is not None else ""), "screen"))
    return "".join(out)


def facts_table(r, lines):
    name = product(lines)
    digest = hashlib.sha256(open(r.setup_exe, "rb").read()).hexdigest() \
        if os.path.isfile(r.setup_exe) else "(not found)"
    version = version_of(r.setup_exe) if os.path.isfile(r.setup_exe) else ""
    rows = [("Distribution", f"{esc(name or '(no Application= in [Installer])')} &mdash; "
                             f"<code>{esc(r.dist)}</code>"),
            ("Setup script", f"<code>{esc(os.path.basename(r.script))}</code>"),
            ("SETUP.EXE",
             f"version {esc(version or '(none)')}, SHA-256 <code>{esc(digest)}</code>"),
            ("Wine", esc(r.wine)),
            ("Date", esc(r.date)),
            ("Duration", esc(duration(r)))]
    return "<table class=\"facts\">" + "".join(
        f"<tr><th>{label}</th><td>{value}</td></tr>" for label, value in rows) + "</table>"


def duration(r):
    parts = []
    last = r.run.last_ms() if r.run else None
    if last is not None:
        parts.append(f"{last / 1000:.1f} s from the start of SETUP.EXE to the scripted user's "
                     f"last answer (its pauses before the screenshots included)")
    if r.seconds is not None:
        parts.append(f"{r.seconds:.1f} s for the whole run of the scripted user, Wine's start "
                     f"included")
    return "; ".join(parts) or "unknown: the scripted user wrote no transcript"


DIAGNOSTIC = re.compile(r"(\d+):(\d+): (error|warning|note): (.*)$")


def diagnostics_section(r, lines):
    out = ["<h2>setupcheck</h2>"]
    found = [d for d in r.diagnostics.splitlines() if d.strip()]
    if not found:
        return out[0] + "<p>No diagnostic: setupcheck found nothing to say of the script.</p>"
    out.append('<table class="diagnostics"><tr><th>line</th><th>severity</th>'
               '<th>diagnostic</th><th>the script\'s line</th></tr>')
    prefix = r.script + ":"
    for d in found:
        m = DIAGNOSTIC.match(d[len(prefix):]) if d.startswith(prefix) else None
        if not m:
            out.append(f'<tr><td></td><td></td><td colspan="2">{esc(d)}</td></tr>')
            continue
        number = int(m.group(1))
        line = lines[number - 1] if 0 < number <= len(lines) else ""
        out.append(f'<tr><td>{number}</td><td class="{m.group(3)}">{m.group(3)}</td>'
                   f'<td>{esc(m.group(4))}</td><td class="script">{esc(line)}</td></tr>')
    out.append("</table>")
    return "".join(out)


def window_section(r, window, shown):
    if window.message is not None:
        kind = "message box"
    else:
        kind = KINDS.get(window.class_name, f"class {window.class_name}")
    out = [f'<div class="window{" unexpected" if window.unexpected else ""}">']
    out.append('<div class="pictures">')
    for name in window.shots:
        png = os.path.join(r.shots, os.path.splitext(name)[0] + ".png")
        if os.path.isfile(png):
            out.append(pictures(png, window))
            shown.add(os.path.basename(png))
        else:
            out.append(f"<p><strong>No screenshot {esc(name)} was saved.</strong></p>")
    out.append("</div><div>")
    out.append(f"<h3>{window.number}. &ldquo;{esc(window.caption)}&rdquo; "
               f"<small>({esc(kind)}, at {window.at_ms / 1000:.2f} s)</small></h3>")
    if window.message is not None:
        out.append(f'<p class="said">{esc(window.message)}</p>')
        if window.icon:
            out.append(f"<p><small>icon: {esc(window.icon)}</small></p>")
    elif window.controls:
        out.append('<table class="controls">')
        for number, class_name, text in window.controls:
            if text:
                label = "" if number == -1 else number
                out.append(f"<tr><td>{label}</td><td>{esc(class_name)}</td>"
                           f"<td>{esc(text)}</td></tr>")
        out.append("</table>")
    answers = [a for a in (transcript.answer(window, what) for _, what in window.actions) if a]
    if window.unexpected and answers:
        out.append("<p><strong>Not expected.</strong> The scripted user answered it as a user "
                   "who wants the installation to go on: " + esc("; then ".join(answers)) +
                   ", and went on.</p>")
    elif window.unexpected and window is r.run.windows[-1] and not r.run.ok and \
            not window.shots:
        out.append("<p><strong>Not expected: the scripted user stopped here.</strong></p>")
    elif window.unexpected:
        out.append("<p><strong>Not expected.</strong> Nothing to answer: the scripted user went "
                   "on.</p>")
    elif answers:
        out.append("<p>The scripted user " + esc("; then ".join(answers)) + ".</p>")
    elif window.step:
        out.append("<p>Expected; nothing to answer.</p>")
    for note in window.notes:
        out.append(f"<p><strong>{esc(note)}</strong></p>")
    out.append("</div></div>")
    return "".join(out)


def windows_section(r):
    out = ["<h2>The installation, window by window</h2>"]
    if r.run is None:
        return out[0] + "<p>The scripted user wrote no transcript.</p>"
    shown = set()
    for seen in range(len(r.run.windows) + 1):
        if seen:
            out.append(window_section(r, r.run.windows[seen - 1], shown))
        out.extend(f"<p>{esc(note)}</p>" for after, note in r.run.notes if after == seen)
    if len(r.run.failures) > 1:
        out.append("<p><strong>What did not go as the scripted user expects:</strong></p><ul>" +
                   "".join(f"<li>{esc(f)}</li>" for f in r.run.failures) + "</ul>")
    elif r.run.failure:
        out.append("<p><strong>The scripted user could not go on: "
                   f"{esc(r.run.failure)}</strong></p>")
    if r.run.exit_code is not None:
        out.append(f"<p>SETUP.EXE ended with exit code {r.run.exit_code}.</p>")
    others = sorted(n for n in os.listdir(r.shots)
                    if n.endswith(".png") and n not in shown) if os.path.isdir(r.shots) else []
    for name in others:
        out.append(f'<div class="window"><div class="pictures">'
                   f"{pictures(os.path.join(r.shots, name), None)}</div>"
                   f"<div><h3>{esc(name)}</h3></div></div>")
    return "".join(out)


def from_files(text):
    """The non-empty lines of a plan or a receipt from the "Files" heading
    on: what the two have in common, and the receipt's marks."""
    lines = text.splitlines()
    if "Files" not in lines:
        return []
    return [line for line in lines[lines.index("Files"):] if line.strip()]


def side_by_side(planned, done):
    """Rows (plan line, receipt line, how each reads) aligned line for line.
    A line on one side only is "differs", one on both sides in another place
    "moved", a receipt's mark of what is missing "missing", below the line it
    belongs to."""
    wanted = from_files(planned)
    received = from_files(done)
    got = [line for line in received if not line.startswith(receipt.MARK)]
    marks, owner = {}, -1
    for line in received:
        if line.startswith(receipt.MARK):
            marks.setdefault(owner, []).append(line)
        else:
            owner += 1
    only = set(wanted) ^ set(got)
    rows = []

    def state(line, equal):
        return "same" if equal else ("differs" if line in only else "moved")

    def receipt_row(left, j, equal):
        rows.append((left, got[j], state(left, equal) if left is not None else "",
                     state(got[j], equal)))
        rows.extend((None, m, "", "missing") for m in marks.get(j, []))

    rows.extend((None, m, "", "missing") for m in marks.get(-1, []))
    matcher = difflib.SequenceMatcher(None, wanted, got, autojunk=False)
    for tag, i1, i2, j1, j2 in matcher.get_opcodes():
        for k in range(max(i2 - i1, j2 - j1)):
            left = wanted[i1 + k] if i1 + k < i2 else None
            if j1 + k < j2:
                receipt_row(left, j1 + k, tag == "equal")
            else:
                rows.append((left, None, state(left, False), ""))
    return rows


def lines_section(r):
    out = ["<h2>Plan and receipt, line for line</h2>"]
    if not r.planned:
        out.append("<p><strong>setupcheck made no plan.</strong></p>")
    rows = side_by_side(r.planned, r.done)
    differing = sum(1 for _, _, a, b in rows for s in (a, b) if s == "differs")
    missing = sum(1 for row in rows if row[3] == "missing")
    if differing or missing or any("moved" in row for row in rows):
        out.append(f"<p>{differing} line{'s' if differing != 1 else ''} on one side only, "
                   f"{missing} MISSING mark{'s' if missing != 1 else ''} of the receipt "
                   f"(left out of the comparison).</p>")
    elif rows:
        out.append("<p>They agree on every line, and the receipt marks nothing missing.</p>")
    out.append('<table class="lines"><tr><th>planned (setupcheck --plan)</th><th></th>'
               '<th>received (what the installation left)</th></tr>')
    for left, right, left_state, right_state in rows:
        heading = left is not None and left == right and not left.startswith(" ")
        sign = "" if left_state in ("same", "") and right_state in ("same", "") else \
            ("!" if "missing" in (left_state, right_state) else "&ne;")
        out.append(("<tr class=\"heading\">" if heading else "<tr>") +
                   f'<td class="{left_state}">{esc(left or "")}</td>'
                   f'<td class="sign">{sign}</td>'
                   f'<td class="{right_state}">{esc(right or "")}</td></tr>')
    out.append("</table>")
    return "".join(out)


def page(r):
    lines = script_lines(r.script)
    state, sentence = verdict(r)
    name = product(lines) or os.path.basename(r.dist.rstrip("/"))
    body = [f'<h1 id="verdict" class="{state}">{esc(sentence)}</h1>']
    if r.causes:
        body.append('<ul class="causes">')
        for cause in r.causes:
            body.append(f'<li class="{cause.kind}">{esc(cause.why)}')
            if cause.items:
                body.append("<ul>" + "".join(f"<li><code>{esc(i)}</code></li>"
                                             for i in cause.items) + "</ul>")
            body.append("</li>")
        body.append("</ul>")
    body.append(facts_table(r, lines))
    body.append(diagnostics_section(r, lines))
    body.append(windows_section(r))
    body.append(lines_section(r))
    digest = base64.b64encode(hashlib.sha256(STYLE.encode()).digest()).decode()
    return ("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
            f'<meta http-equiv="Content-Security-Policy" content="{esc(POLICY.format(digest))}">\n'
            f"<title>Rehearsal of {esc(name)}: {state}</title>\n"
            f"<style>{STYLE}</style></head>\n<body>\n" + "\n".join(body) + "\n</body></html>\n")


def write(path, r):
    with open(path, "w", encoding="utf-8") as f:
        f.write(page(r))
