#!/usr/bin/env python3
"""A tree of 5,000 folders holding 50,000 files of 0 to 64 KiB (sparse: only
the lengths are set), the same every time.

  make_tree.py <folder>
"""
import os
import random
import sys


def main(root):
    rng = random.Random(50000)
    os.makedirs(root, exist_ok=True)
    folders = 0
    for a in range(10):
        for b in range(10):
            for c in range(50):
                folder = os.path.join(root, "a%02d" % a, "b%02d" % b, "c%02d" % c)
                os.makedirs(folder)
                folders += 1
                for f in range(10):
                    with open(os.path.join(folder, "file%02d.dat" % f), "wb") as out:
                        out.truncate(rng.randrange(0, 65536))
    print("made %d leaf folders" % folders)


if __name__ == "__main__":
    main(sys.argv[1])
