#!/usr/bin/env python3
"""Checks that the program's #include "..." lines only run downward.

The layers, from the bottom:
  platform (the seam, directly in platform/) < settings < clocktext
  < signals < engine < ui < app
A file may include files of its own layer and of lower ones. The backends
(platform/sim, platform/x11, platform/win32, platform/qt, platform/ipc) stand beside the
layers: they may include anything under platform/ and the forms model
(ui/forms.h, ui/controls.h); of the layers, only app/ (which wires a desktop
together) may include a backend. tools/, tests/, bench/ and fuzz/ may include
anything; no layer may include them.

  check-layers.py [--root DIR]           prints each include that runs the
                                         wrong way, exits 1 if there is one
  check-layers.py [--root DIR] --graph   prints how many includes run from
                                         each folder to each other one
"""
import argparse
import os
import re
import sys
from collections import Counter

LAYERS = ["platform", "settings", "clocktext", "signals", "engine", "ui", "app"]
BACKENDS = ["sim", "x11", "win32", "qt", "ipc"]
FREE = ["tools", "tests", "bench", "fuzz"]
FORMS_MODEL = {"ui/forms.h", "ui/controls.h"}
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def part_of(path):
    """The part a repository path belongs to: a layer, 'platform/BACKEND', a
    free folder, or None for anything else."""
    parts = path.split("/")
    if len(parts) < 2:
        return None
    if parts[0] == "platform" and len(parts) > 2 and parts[1] in BACKENDS:
        return "platform/" + parts[1]
    if parts[0] in LAYERS or parts[0] in FREE:
        return parts[0]
    return None


def source_files(root):
    for top in LAYERS + FREE:
        for folder, dirs, files in os.walk(os.path.join(root, top)):
            dirs.sort()
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def includes(root, path):
    """(line number, included path relative to the root) for each include of
    a file in the repository; generated and system headers are left out."""
    here = os.path.dirname(path)
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            name = match.group(1)
            for candidate in (name, os.path.normpath(os.path.join(here, name))):
                if os.path.isfile(os.path.join(root, candidate)):
                    yield number, candidate.replace(os.sep, "/")
                    break


def allowed(source, target, target_path):
    """Whether part `source` may include `target_path` of part `target`."""
    if source is None or source in FREE or source == target:
        return True
    if target is None or target in FREE:
        return False
    if source.startswith("platform/"):
        return target.startswith("platform") or target_path in FORMS_MODEL
    if target.startswith("platform/"):
        return source == "app"
    return LAYERS.index(target) <= LAYERS.index(source)


def check(root):
    faults = 0
    for path in source_files(root):
        source = part_of(path)
        for number, target_path in includes(root, path):
            target = part_of(target_path)
            if not allowed(source, target, target_path):
                faults += 1
                print(f"{path}:{number}: includes {target_path} "
                      f"(layer {source} -> layer {target or 'outside'})")
    return 1 if faults else 0


def graph(root):
    edges = Counter()
    wrong = Counter()
    for path in source_files(root):
        source = part_of(path)
        for _, target_path in includes(root, path):
            target = part_of(target_path)
            if source != target:
                edges[(source, target)] += 1
                wrong[(source, target)] += not allowed(source, target, target_path)
    for (source, target), count in sorted(edges.items()):
        note = f"   ({wrong[source, target]} not allowed)" if wrong[source, target] else ""
        print(f"{source} -> {target}: {count}{note}")
    cycles = sorted(f"{a} <-> {b}" for (a, b) in edges if (b, a) in edges and a < b)
    print("cycles: " + (", ".join(cycles) if cycles else "none"))
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--root", default=os.path.join(os.path.dirname(__file__), ".."))
    parser.add_argument("--graph", action="store_true",
                        help="print the include counts between folders")
    args = parser.parse_args()
    root = os.path.abspath(args.root)
    return graph(root) if args.graph else check(root)


if __name__ == "__main__":
    sys.exit(main())
