#!/usr/bin/env python3
"""gen_tree.py OUT MB [BIG_MB]: a driver-like tree of about MB MiB below OUT.

Packages of uneven size (about 5 MiB on average), each a folder as a driver
store holds it; with BIG_MB one more package holding a single PE file of that
size, to show that a writer's memory does not grow with the file size.
"""
import os
import random
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bench_content  # noqa: E402
import bench_packages  # noqa: E402

MiB = 1 << 20


def main():
    out, total = sys.argv[1], int(float(sys.argv[2]) * MiB)
    big = int(float(sys.argv[3]) * MiB) if len(sys.argv) > 3 else 0
    shutil.rmtree(out, ignore_errors=True)
    rng = random.Random(20261209)
    content = bench_content.Content(7)
    count = max(4, (total - big) // (5 * MiB))
    for i, budget in enumerate(bench_packages.split_budget(rng, total - big, count)):
        name = "pkg%03d" % i
        folder = os.path.join(out, "%s.inf_amd64_%016x" % (name, rng.getrandbits(64)))
        bench_packages.write_package(content, folder, bench_packages.package_layout(rng, name, budget))
    if big:
        folder = os.path.join(out, "bigpkg.inf_amd64_0000000000000001")
        os.makedirs(folder)
        bench_content.write_file(content, os.path.join(folder, "bigpkg.dll"), big)


main()
