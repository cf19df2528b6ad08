#!/usr/bin/env python3
"""Builds the compression corpus from this machine into a folder (never committed).

Windows binaries and INF files as a driver package holds them (the Wine prefix's system32
.dll/.sys/.inf and its inf folder), text (C headers) and incompressible noise.
usage: make_corpus.py <prefix> <output-folder> [binary-megabytes]
"""
import os
import random
import shutil
import sys


def pick_spread(files, cap):
    """Every n-th file of the sorted list, so that about `cap` bytes are taken."""
    files = sorted(files)
    total = sum(os.path.getsize(f) for f in files)
    step = max(1, -(-total // cap))
    return files[::step]


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    prefix, out = sys.argv[1], sys.argv[2]
    cap = int(sys.argv[3] if len(sys.argv) > 3 else 64) << 20
    windows = os.path.join(prefix, "drive_c", "windows")
    binaries, infs = [], []
    for root in (os.path.join(windows, "system32"), os.path.join(windows, "inf")):
        for d, _, names in os.walk(root):
            for n in names:
                p = os.path.join(d, n)
                if not os.path.isfile(p):
                    continue
                low = n.lower()
                if low.endswith((".dll", ".sys")):
                    binaries.append(p)
                elif low.endswith(".inf"):
                    infs.append(p)
    if not binaries:
        sys.exit("no binaries under " + windows)
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    for i, p in enumerate(pick_spread(binaries, cap) + sorted(infs)):
        shutil.copyfile(p, os.path.join(out, "%04d_%s" % (i, os.path.basename(p))))
    text, size = sorted(os.path.join(d, n) for d, _, ns in os.walk("/usr/include") for n in ns
                        if n.endswith(".h")), 0
    for i, p in enumerate(text):
        if size > 8 << 20:
            break
        shutil.copyfile(p, os.path.join(out, "text_%05d.h" % i))
        size += os.path.getsize(p)
    rng = random.Random(1)
    for i in range(4):
        with open(os.path.join(out, "noise_%d.bin" % i), "wb") as f:
            f.write(rng.randbytes(1 << 20))


if __name__ == "__main__":
    main()
