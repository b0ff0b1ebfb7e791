#!/usr/bin/env python3
"""Runs the kivo-render examples of the documents and compares the output.

An example is a line `$ kivo-render ARGUMENTS` inside a fenced code block of
README.md or docs/*.md; the lines after it, up to the next `$ ` line or the
end of the block, are exactly what kivo-render prints. The arguments are read
as a POSIX shell would (quotes, no expansion).

  check-doc-examples.py --render PATH/TO/kivo-render [--root DIR]

Prints each example whose output differs and exits 1; exits 1 as well when
the documents hold no example at all.
"""
import argparse
import glob
import os
import shlex
import subprocess
import sys

PROMPT = "$ kivo-render "


def examples(path):
    """(line number, arguments, expected lines) for each example in a file."""
    found = []
    in_block = False
    current = None
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if line.lstrip().startswith("```"):
                in_block = not in_block
                current = None
                continue
            if not in_block:
                continue
            if line.startswith("$ "):
                current = None
                if line.startswith(PROMPT):
                    current = (number, shlex.split(line[len(PROMPT):]), [])
                    found.append(current)
            elif current is not None:
                current[2].append(line)
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--render", required=True, help="the kivo-render program")
    parser.add_argument("--root", default=os.path.join(os.path.dirname(__file__), ".."))
    args = parser.parse_args()
    root = os.path.abspath(args.root)
    documents = [os.path.join(root, "README.md")]
    documents += sorted(glob.glob(os.path.join(root, "docs", "*.md")))

    checked = failed = 0
    for document in documents:
        name = os.path.relpath(document, root)
        for number, arguments, expected in examples(document):
            checked += 1
            run = subprocess.run([args.render] + arguments, capture_output=True,
                                 encoding="utf-8", timeout=30)
            printed = run.stdout.split("\n")
            if printed and printed[-1] == "":
                printed.pop()
            if run.returncode != 0 or printed != expected:
                failed += 1
                print(f"{name}:{number}: kivo-render {shlex.join(arguments)}")
                print(f"  shows:  {expected}")
                print(f"  prints: {printed} (exit status {run.returncode})")
                if run.stderr:
                    print(f"  stderr: {run.stderr.strip()}")
    print(f"{checked} examples checked, {failed} differ")
    return 1 if failed or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
