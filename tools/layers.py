#!/usr/bin/env python3
"""Prints which folders of src/ include which, and fails on a cycle.

    tools/layers.py [src]

Each line is a folder and the folders its files include from; the layers read
from the bottom up (core, win, then the product's windows, then host). Exit 1
when the folders depend on each other in a circle, or when a file outside
src/host includes host/module.h.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]+"', re.M)


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    folders = sorted(d for d in os.listdir(src) if os.path.isdir(os.path.join(src, d)))
    uses = {f: set() for f in folders}
    bad = []
    for folder in folders:
        for root, _, files in os.walk(os.path.join(src, folder)):
            for name in files:
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(root, name)
                with open(path, encoding="utf-8") as f:
                    text = f.read()
                for used in INCLUDE.findall(text):
                    if used in uses and used != folder:
                        uses[folder].add(used)
                if folder != "host" and '#include "host/module.h"' in text:
                    bad.append(os.path.relpath(path, src))

    # Layers: a folder's layer is one above the highest it uses.
    layer, visiting, cycle = {}, set(), []

    def depth(f, trail):
        if f in layer:
            return layer[f]
        if f in visiting:
            loop = trail[trail.index(f):]
            if not any(set(loop) == set(c) for c in cycle):
                cycle.append(loop)
            return 0
        visiting.add(f)
        d = 1 + max((depth(u, trail + [u]) for u in sorted(uses[f])), default=-1)
        visiting.discard(f)
        layer[f] = d
        return d

    for f in folders:
        depth(f, [f])
    for f in sorted(folders, key=lambda f: (-layer[f], f)):
        print(f"{layer[f]}  {f:<12} uses {', '.join(sorted(uses[f])) or '-'}")
    for c in cycle:
        print("cycle: " + " -> ".join(c))
    for b in bad:
        print(f"reaches up into the module: {b}")
    return 1 if cycle or bad else 0


if __name__ == "__main__":
    sys.exit(main())
