#!/usr/bin/env python3
"""The English catalog (po/en.po): the program's table, and its check.

  translations.py table PO OUT   writes the C++ table of the catalog's
                                 entries, sorted by their Japanese text
  translations.py check PO ROOT  fails (exit 1), one line a fault, when a
                                 text the program shows has no English, an
                                 English text lost a placeholder, an access
                                 key marker or a line break, or two controls
                                 of one window share an access key in English

Texts the program shows are the string literals of its windows, boxes and
messages (ui/, app/, signals/, settings/) that hold Japanese or end in an
access key "(&X)". Literals that are data, not texts, are listed in
NOT_SHOWN below with the reason.
"""
import re
import sys
from pathlib import Path

SHOWN_FOLDERS = ["ui", "app", "signals", "settings"]
NOT_SHOWN = {
    # The font the forms ask for, by its Windows name.
    "ＭＳ Ｐゴシック",
    # The alarm message's default is a stored value: it does not change with
    # the language the windows speak.
    "時間だよ(^^)",
}
JAPANESE = re.compile(r"[\u3000-\u30ff\u4e00-\u9fff\uff00-\uffef]")
ACCESS_SUFFIX = re.compile(r"\(&(.)\)$")
PLACEHOLDER = re.compile(r"%[0-9]")


def unescape(text):
    out, i = [], 0
    escapes = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\", "0": "\0"}
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append(escapes.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def read_po(path):
    """Returns [(msgid, msgstr, line)] of the catalog, header left out."""
    entries, field, current, line_of = [], None, {}, 0
    for number, line in enumerate(Path(path).read_text(encoding="utf-8").splitlines(), 1):
        line = line.strip()
        if line.startswith("msgid "):
            if "msgstr" in current:
                entries.append((current["msgid"], current["msgstr"], line_of))
            current, field, line_of = {"msgid": ""}, "msgid", number
            line = line[len("msgid "):]
        elif line.startswith("msgstr "):
            field, current["msgstr"] = "msgstr", ""
            line = line[len("msgstr "):]
        if line.startswith('"') and field:
            current[field] += unescape(line[1:-1])
    if "msgstr" in current:
        entries.append((current["msgid"], current["msgstr"], line_of))
    return [e for e in entries if e[0]]


def access_key(text):
    """The access key of a caption (lower case), or None."""
    suffix = ACCESS_SUFFIX.search(text)
    if suffix:
        return suffix.group(1).lower()
    marker = re.search(r"&([^&])", text.replace("&&", ""))
    return marker.group(1).lower() if marker else None


TOKEN = re.compile(r'"(?:[^"\\\n]|\\.)*"|//[^\n]*|/\*.*?\*/', re.S)


def literal_runs(source):
    """(text, line) of each string literal in C++ source, adjacent literals
    joined as the compiler joins them; comments left out."""
    runs, previous_end = [], None
    for token in TOKEN.finditer(source):
        if not token.group().startswith('"'):
            previous_end = None
            continue
        text = unescape(token.group()[1:-1])
        if previous_end is not None and not source[previous_end:token.start()].strip():
            runs[-1] = (runs[-1][0] + text, runs[-1][1])
        else:
            runs.append((text, source.count("\n", 0, token.start()) + 1))
        previous_end = token.end()
    return runs


def shown_literals(root):
    """{text: [file:line ...]} for every text the program shows."""
    found = {}
    for folder in SHOWN_FOLDERS:
        for path in sorted((Path(root) / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            for text, number in literal_runs(path.read_text(encoding="utf-8")):
                if text in NOT_SHOWN:
                    continue
                if JAPANESE.search(text) or ACCESS_SUFFIX.search(text):
                    where = f"{path.relative_to(root)}:{number}"
                    found.setdefault(text, []).append(where)
    return found


def check(po, root):
    faults = []
    entries = read_po(po)
    catalog = {msgid: msgstr for msgid, msgstr, _ in entries}
    for msgid, msgstr, line in entries:
        where = f"{po}:{line}"
        if not msgstr:
            faults.append(f"{where}: no English for {msgid!r}")
            continue
        for name, count in (("line break", lambda t: t.count("\n")),
                            ("placeholder", lambda t: sorted(PLACEHOLDER.findall(t)))):
            if count(msgid) != count(msgstr):
                faults.append(f"{where}: the English of {msgid!r} lost a {name}")
        if (access_key(msgid) is None) != (access_key(msgstr) is None):
            faults.append(f"{where}: the English of {msgid!r} lost its access key marker")
        if ACCESS_SUFFIX.search(msgstr) or msgstr.replace("&&", "").count("&") > 1:
            faults.append(f"{where}: {msgstr!r} should mark one access key with a single &")
    literals = shown_literals(root)
    for text, places in sorted(literals.items()):
        if text not in catalog:
            faults.append(f"{places[0]}: no English for {text!r} (add it to {po})")
    # Access keys are unique per window in English: the captions of one
    # source file belong to one window.
    for window in sorted({p.split(":")[0] for ps in literals.values() for p in ps}):
        keys = {}
        for text, places in literals.items():
            if any(p.startswith(window + ":") for p in places) and text in catalog:
                key = access_key(catalog[text])
                if key:
                    keys.setdefault(key, []).append(catalog[text])
        for key, captions in sorted(keys.items()):
            if len(captions) > 1:
                faults.append(f"{window}: access key {key!r} taken by {captions}")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


def c_string(text):
    out = text.replace("\\", "\\\\").replace('"', '\\"')
    return '"' + out.replace("\r", "\\r").replace("\n", "\\n").replace("\t", "\\t") + '"'


def table(po, out):
    entries = sorted(read_po(po), key=lambda e: e[0].encode("utf-8"))
    lines = [f"// Made from {Path(po).name} by scripts/translations.py: do not edit."]
    lines += [f"{{{c_string(msgid)}, {c_string(msgstr)}}}," for msgid, msgstr, _ in entries]
    text = "\n".join(lines) + "\n"
    target = Path(out)
    if not target.exists() or target.read_text(encoding="utf-8") != text:
        target.write_text(text, encoding="utf-8")
    return 0


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "table":
        sys.exit(table(sys.argv[2], sys.argv[3]))
    if len(sys.argv) == 4 and sys.argv[1] == "check":
        sys.exit(check(sys.argv[2], sys.argv[3]))
    sys.exit(__doc__)
