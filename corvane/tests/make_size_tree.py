#!/usr/bin/env python3
"""Makes the trees that the folder-size scripts measure, on the Unix side:
sparse files of chosen sizes (made by truncation, so a 5 GiB file costs
nothing) and a directory tree with symbolic links that lead back into it.

  make_size_tree.py <folder>
"""
import os
import random
import shutil
import sys


def sized(path, size):
    with open(path, "wb") as f:
        f.truncate(size)


def sizes_to_compare():
    """File sizes whose texts in the four units are compared with the host's."""
    sizes = set(range(0, 41)) | set(range(100, 111)) | set(range(1020, 1031)) | {1535, 1536, 1537}
    for k in range(0, 44):
        sizes |= {2**k - 1, 2**k, 2**k + 1}
    # n / 1024 with six whole digits has sixteen significant digits ending in
    # 5: a tie at the fifteenth digit.
    sizes |= {1024 * k + 1 for k in (100000, 123456, 654321, 999999)}
    sizes |= {123456789, 5 * 2**30, 10**12, 10**13 + 12345}
    rng = random.Random(20261207)
    for _ in range(200):
        sizes.add(int(10 ** rng.uniform(0, 13.2)))
    return sorted(sizes)


def main(root):
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)

    compare = os.path.join(root, "sizes")
    os.makedirs(compare)
    for size in sizes_to_compare():
        sized(os.path.join(compare, "s%d.bin" % size), size)

    # 5 GiB inside a directory: the listing's high half must weigh 2^32.
    big = os.path.join(root, "big")
    os.makedirs(big)
    sized(os.path.join(big, "five.bin"), 5 * 2**30)
    sized(os.path.join(big, "small.bin"), 100)

    # Links back into the tree: the walk must end and count every file once.
    cycle = os.path.join(root, "cycle")
    os.makedirs(os.path.join(cycle, "a", "b"))
    sized(os.path.join(cycle, "top.bin"), 5)
    sized(os.path.join(cycle, "a", "mid.bin"), 10)
    sized(os.path.join(cycle, "a", "b", "low.bin"), 20)
    os.symlink("..", os.path.join(cycle, "a", "up"))
    os.symlink(".", os.path.join(cycle, "a", "b", "here"))
    os.symlink(cycle, os.path.join(cycle, "a", "b", "root"))

    # Links to a sibling tree, one on each side of it: counted once at most.
    sibling = os.path.join(root, "sibling")
    os.makedirs(os.path.join(sibling, "left"))
    os.makedirs(os.path.join(sibling, "right"))
    sized(os.path.join(sibling, "left", "l.bin"), 100)
    sized(os.path.join(sibling, "right", "r.bin"), 1000)
    os.symlink("../left", os.path.join(sibling, "right", "to_left"))
    os.symlink("right", os.path.join(sibling, "a_link_to_right"))
    os.symlink("left", os.path.join(sibling, "z_link_to_left"))

    # A chain of folders, each linking to the next and the last to the top,
    # and a link to a link to a link.
    chain = os.path.join(root, "chain")
    for name, size, hop in (("one", 1, "../two"), ("two", 2, "../three"), ("three", 4, "..")):
        os.makedirs(os.path.join(chain, name))
        sized(os.path.join(chain, name, "f.bin"), size)
        os.symlink(hop, os.path.join(chain, name, "hop"))
    os.symlink("one", os.path.join(chain, "l3"))
    os.symlink("l3", os.path.join(chain, "l2"))
    os.symlink("l2", os.path.join(chain, "l1"))

    # Files above 4 GiB under a link back to the top: once each.
    over = os.path.join(root, "over4g")
    os.makedirs(os.path.join(over, "sub"))
    sized(os.path.join(over, "five.bin"), 5 * 2**30)
    sized(os.path.join(over, "sub", "four.bin"), 2**32)
    sized(os.path.join(over, "sub", "six.bin"), 6 * 2**30 + 1)
    os.symlink("..", os.path.join(over, "sub", "back"))
    os.symlink(over, os.path.join(over, "sub", "top"))


if __name__ == "__main__":
    main(sys.argv[1])
