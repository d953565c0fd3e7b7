"""The file layout of a generated driver package: which files, how large.

By bytes a package is about 5% INF and other text, 65% PE images (.sys, .dll,
.exe, some in subfolders) and 30% already-compressed data (.cab, .bin), plus a
small .PNF and a catalog, as large third-party packages are.
"""
import os

import bench_content


def package_layout(rng, name, budget):
    """[(relative path, size)] of one package of about `budget` bytes."""
    files = [(name + ".inf", max(4096, budget * 3 // 100)), (name + ".PNF", 8192),
             (name + ".sys", max(16384, budget // 10))]
    pe_left = budget * 55 // 100
    for i in range(1, 4):
        size = pe_left if i == 3 else pe_left // 2
        pe_left -= size
        if size >= 4096:
            folder = ("x64/", "bin/", "")[i - 1]
            files.append((folder + "%s%d.%s" % (name, i, "exe" if i == 2 else "dll"), size))
    packed = budget * 30 // 100
    if packed >= 4096:
        files.append(("firmware/%s.bin" % name, packed // 3))
        files.append(("%s.cab" % name, packed - packed // 3))
    files.append(("readme.txt", max(2048, budget * 2 // 100)))
    rng.shuffle(files)
    return files


def write_package(content, folder, layout, skip=()):
    """Writes the files of `layout` below `folder`; names in `skip` are left to the caller."""
    for rel, size in layout:
        if rel in skip:
            continue
        path = os.path.join(folder, *rel.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        bench_content.write_file(content, path, size)


def split_budget(rng, total, count):
    """`count` package sizes summing to `total`, uneven as real driver stores are."""
    weights = [min(rng.paretovariate(1.5), 8.0) for _ in range(count)]
    scale = total / sum(weights)
    sizes = [int(w * scale) for w in weights]
    sizes[0] += total - sum(sizes)
    return sizes
