#!/usr/bin/env python3
"""Writes the benchmark archives, the same bytes on every run (fixed seeds).

  package.zip   about 1,500 files of 200 B to 4 MB, about 150 MB in all: text,
                tables and already-compressed data, in a folder tree
  small.zip     20,000 files of 0.5 to 4 KB
  folders.zip   20,000 text files of 0.5 to 4 KB, 100 to a folder in 200
                folders: the many-small-files case of real packages
  big.zip       one file of 400 MB

Usage: make_archives.py OUTDIR   (an archive that exists already is kept)
"""
import os
import random
import sys
import zipfile

WORDS = ("setup install file folder system value registry profile user data "
         "config language version update driver service window program library "
         "table record entry archive module option default path target source "
         "error status device network").split()


def text_block(rng, size):
    """Text-like bytes: words, numbers and line ends, compressing about 3:1."""
    out = []
    total = 0
    while total < size:
        line = " ".join(rng.choice(WORDS) for _ in range(rng.randint(3, 12)))
        line += " %d\r\n" % rng.randint(0, 1 << 20)
        out.append(line)
        total += len(line)
    return "".join(out).encode()[:size]


class Source:
    """Content of a given kind and size, cut from prepared pools so that the
    generator stays fast; each file starts at its own offset."""

    def __init__(self, seed):
        rng = random.Random(seed)
        self.rng = rng
        self.text = text_block(rng, 8 << 20)
        self.noise = rng.randbytes(8 << 20)
        # Tables: short records with small fields, compressing about 6:1.
        rows = []
        for i in range(200000):
            rows.append(b"%08d;%s;%d;%d\n" % (i, rng.choice(WORDS).encode(),
                                               rng.randint(0, 999), rng.randint(0, 9)))
        self.table = b"".join(rows)

    def content(self, size):
        kind = self.rng.random()
        pool = self.text if kind < 0.5 else self.table if kind < 0.7 else self.noise
        out = bytearray()
        while len(out) < size:
            start = self.rng.randrange(len(pool) - 1)
            out += pool[start:start + min(size - len(out), 1 << 20)]
        return bytes(out)


def write_zip(path, entries):
    temporary = path + ".part"
    with zipfile.ZipFile(temporary, "w", zipfile.ZIP_DEFLATED, compresslevel=6) as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=(2021, 6, 1, 12, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=6)
    os.replace(temporary, path)


def package_entries():
    source = Source(1)
    rng = random.Random(2)
    folders = ["app", "app/bin", "app/lib", "app/plugins", "app/res/images",
               "app/res/strings", "app/docs", "shared/fonts", "shared/data",
               "system32", "system32/drivers", "help"]
    for i in range(1500):
        # Mostly small files with a long tail up to 4 MB: about 150 MB in all.
        size = int(min(4 << 20, max(200, rng.lognormvariate(9.9, 1.9))))
        yield "%s/file%04d.dat" % (rng.choice(folders), i), source.content(size)


def small_entries():
    source = Source(3)
    rng = random.Random(4)
    for i in range(20000):
        yield "data/%02d/item%05d.txt" % (i % 100, i), source.content(rng.randint(512, 4096))


def folder_entries():
    rng = random.Random(8)
    text = Source(9).text
    for i in range(20000):
        size = rng.randint(512, 4096)
        start = rng.randrange(len(text) - size)
        yield "docs/%03d/page%05d.txt" % (i // 100, i), text[start:start + size]


def big_entries():
    source = Source(5)
    rng = random.Random(6)
    chunks = []
    total = 400 << 20
    done = 0
    while done < total:
        size = min(total - done, rng.randint(64 << 10, 1 << 20))
        chunks.append(source.content(size))
        done += size
    yield "media/big.bin", b"".join(chunks)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, entries in (("package.zip", package_entries), ("small.zip", small_entries),
                          ("folders.zip", folder_entries),
                          ("big.zip", big_entries)):
        path = os.path.join(out, name)
        if not os.path.exists(path):
            write_zip(path, entries())
        print("%s: %d bytes" % (name, os.path.getsize(path)))


if __name__ == "__main__":
    main()
