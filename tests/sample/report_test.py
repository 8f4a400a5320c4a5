#!/usr/bin/env python3
"""Opens the reports of the rehearsal tests (rehearsal_test.py keeps them in
BUILD_DIR/reports, with what the console said) in headless Chromium and
looks at each as a person would: the verdict is the first thing on the page,
every screenshot decodes to a picture of some size, each line where plan and
receipt differ and each MISSING mark the console printed is on the page, set
apart by its colour, names holding markup read as text, and loading the page
asks for nothing but itself and its own data: URIs, the browser logging no
refusal of its policy.

The last rows are pages spoilt on purpose, to show that the looks catch what
they look for: a picture asked from a file beside the page, with the page's
policy (which refuses it) and without (the picture then shows), and markup
let through unescaped.

    report_test.py SOURCE_DIR BUILD_DIR
"""
import collections
import os
import re
import sys
import tempfile


POLICY = re.compile(r'<meta http-equiv="Content-Security-Policy"[^>]*>\n?')

# The elements and attributes the report is made of: anything else came
# from a name that was let through as markup.
TAGS = {"html", "head", "meta", "title", "style", "body", "h1", "h2", "h3", "p", "ul", "li",
        "code", "small", "strong", "table", "tbody", "tr", "th", "td", "div", "img"}
ATTRIBUTES = {"lang", "charset", "http-equiv", "content", "id", "class", "colspan", "src", "alt"}

# report, how its verdict begins, the texts that must read as text, how the
# page is spoilt first, and what the looks must then find wrong.
CASES = [
    ("sample", "Passed: the scripted user met every window", [], None, None),
    ("other", "Passed: ", [], None, None),
    ("absent", 'Failed: the user saw a failure message: "Ne peut ouvrir', [], None, None),
    ("unregistered",
     "Failed: setupcheck found errors in the script; the installation points at what it did not",
     ['Installation des <u>cartes</u> & "relev\u00e9s"', "<script>Cartes</script>",
      "Cartes M\u00e9t\u00e9o & 'Relev\u00e9s'"], None, None),
    ("sample", "Passed: ", [], lambda page, other: page.replace("</body>", other + "</body>"),
     "request"),
    ("sample", "Passed: ", [],
     lambda page, other: POLICY.sub("", page).replace("</body>", other + "</body>"), "request"),
    ("unregistered", "Failed: ", ["<u>cartes</u>"],
     lambda page, other: page.replace("&lt;u&gt;cartes&lt;/u&gt;", "<u>cartes</u>"), "markup"),
]

LOOK = """(() => {
  const all = [...document.querySelectorAll("*")];
  const cells = name => [...document.querySelectorAll("td." + name)].map(
      e => [e.innerText, getComputedStyle(e).backgroundColor]);
  return {
    first: document.body.firstElementChild ? document.body.firstElementChild.id : "",
    text: document.body.innerText,
    images: [...document.images].map(
        i => [i.className, i.complete, i.naturalWidth, i.naturalHeight]),
    differs: cells("differs"),
    missing: cells("missing"),
    background: getComputedStyle(document.body).backgroundColor,
    tags: [...new Set(all.map(e => e.localName))],
    attributes: [...new Set(all.flatMap(e => [...e.attributes].map(a => a.name)))],
  };
})()"""


def console_said(path):
    """The screenshots, the lines on one side only and the MISSING marks
    that the rehearsal printed."""
    with open(path, encoding="utf-8") as f:
        out = f.read()
    shots = re.findall(r"^  (\S+\.png)$", out, re.M)
    apart = re.findall(r"^  (?:planned only:  |received only: )(.*)$", out, re.M)
    marks = re.findall(r"^      (MISSING .*)$", out, re.M)
    return shots, apart, marks


def problems(browser, page, verdict, texts, said):
    urls, logged = browser.open(page)
    seen = browser.evaluate(LOOK)
    shots, apart, marks = said
    found = []
    first = seen["text"].strip().split("\n")[0]
    if seen["first"] != "verdict" or not first.startswith(verdict):
        found.append(f"verdict: the page begins with {first!r}")
    screens = [i for i in seen["images"] if i[0] == "screen"]
    if len(screens) != len(shots):
        found.append(f"images: {len(screens)} screenshots on the page, {len(shots)} taken")
    for kind, complete, width, height in seen["images"]:
        if not complete or width == 0 or height == 0:
            found.append(f"images: an image of class {kind} shows no picture")
    plain = (seen["background"], "rgba(0, 0, 0, 0)")
    for name, wanted in (("differs", apart), ("missing", marks)):
        shown = collections.Counter(text.strip() for text, colour in seen[name]
                                    if colour not in plain)
        for line, times in collections.Counter(line.strip() for line in wanted).items():
            if shown[line] < times:
                found.append(f"{name}: {line!r} is not set apart on the page, in its colour, "
                             f"{times} times")
    for text in texts:
        if text not in seen["text"]:
            found.append(f"markup: {text!r} does not read as text")
    for tag in sorted(set(seen["tags"]) - TAGS):
        found.append(f"markup: the page holds a {tag} element")
    for name in sorted(set(seen["attributes"]) - ATTRIBUTES):
        found.append(f"markup: the page holds an attribute {name}")
    own = "file://" + os.path.abspath(page)
    for url in urls:
        if url != own and not url.startswith("data:"):
            found.append(f"request: the page asked for {url}")
    for message in logged:
        found.append(f"request: the browser logged {message!r}")
    return found


def main(source, build):
    sys.path.insert(0, os.path.join(source, "tools"))
    import browser
    reports = os.path.join(build, "reports")
    failures = 0
    import bmp2png
    with browser.Browser() as chromium, tempfile.TemporaryDirectory() as work:
        picture = os.path.join(work, "elsewhere.png")
        with open(picture, "wb") as f:
            f.write(bmp2png.encode(2, 2, [b"\xff\0\0" * 2] * 2))
        elsewhere = f'<img src="file://{picture}" alt="">'
        for number, (name, verdict, texts, spoil, wrong) in enumerate(CASES, 1):
            page = os.path.join(reports, name + ".html")
            said = console_said(os.path.join(reports, name + ".txt"))
            if spoil:
                with open(page, encoding="utf-8") as f:
                    spoilt = spoil(f.read(), elsewhere)
                page = os.path.join(work, f"{number}-{name}.html")
                with open(page, "w", encoding="utf-8") as f:
                    f.write(spoilt)
            found = problems(chromium, page, verdict, texts, said)
            if wrong is None:
                ok = not found
                what = "as a person would read it" if ok else "wrong: " + "; ".join(found)
            else:
                ok = any(f.startswith(wrong + ":") for f in found)
                what = f"spoilt, found wrong ({wrong})" if ok else \
                    f"spoilt, but no {wrong} problem found: {found}"
            print(f"{'ok  ' if ok else 'FAIL'} {number} {name}: {what}")
            failures += not ok
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
