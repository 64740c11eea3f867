#!/usr/bin/env python3
"""Fails when an include under src/ points up or sideways, or when two files
include each other.

The folders stand in layers: the platform layer at the bottom, the shared
vocabulary (core) on it, the steps on that, and the run (the sequence, its
report and log, the entry points) on top. A file may include its own
folder's headers and those of any layer below it, never a layer above or a
sibling step. A module is a header with its sources (NAME.h, NAME.cc,
NAME-win32.cc, NAME-posix.cc); two modules that include each other are one
concern split in two, or a cycle.

Usage: check_layering.py SRC_DIR
"""
import os
import re
import sys

LAYERS = {
    "resources": 0,
    "platform": 0,
    "core": 1,
    "deploy": 2,
    "locale": 2,
    "registry": 2,
    "housekeeping": 2,
    "run": 3,
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def folder_of(path):
    """The top folder under src/ that a path or include names (deploy/ownzip
    counts as deploy)."""
    return path.split("/", 1)[0]


def module_of(path):
    base, _ = os.path.splitext(path)
    return re.sub(r"-(win32|posix)$", "", base)


def main():
    src = sys.argv[1]
    problems = []
    edges = {}
    for directory, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cc")):
                continue
            full = os.path.join(directory, name)
            rel = os.path.relpath(full, src).replace(os.sep, "/")
            if "/" not in rel:
                continue
            here = folder_of(rel)
            if here not in LAYERS:
                problems.append(f"{rel}: folder '{here}' has no layer in this check")
                continue
            with open(full, encoding="utf-8", errors="replace") as f:
                text = f.read()
            for target in INCLUDE.findall(text):
                there = folder_of(target)
                if there not in LAYERS:
                    continue  # a header beside the file or from elsewhere
                if there != here and LAYERS[there] >= LAYERS[here]:
                    problems.append(f"{rel} includes {target}: '{there}' is not below '{here}'")
                a, b = module_of(rel), module_of(target)
                if a != b:
                    edges.setdefault(a, set()).add(b)
    for a in sorted(edges):
        for b in sorted(edges[a]):
            if a < b and a in edges.get(b, ()):
                problems.append(f"{a} and {b} include each other")
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} include(s) against the layering")
        return 1
    print("includes point down; no two modules include each other")
    return 0


if __name__ == "__main__":
    sys.exit(main())
