#!/usr/bin/env python3
"""Writes the seed archives for the zip differential fuzzer into corpus/zip/."""
import io
import os
import struct
import zipfile
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "zip")
DATE = 0x5D888A51


def deflate(data):
    c = zlib.compressobj(6, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


def local(name, comp, method, crc, usize, flags=0, extra=b""):
    return struct.pack("<IHHHIIIIHH", 0x04034B50, 20, flags, method, DATE, crc,
                       len(comp), usize, len(name), len(extra)) + name + extra


def central(name, method, crc, csize, usize, offset, flags=0, extra=b"", comment=b""):
    return struct.pack("<IHHHHIIIIHHHHHII", 0x02014B50, 20, 20, flags, method, DATE, crc,
                       csize, usize, len(name), len(extra), len(comment), 0, 0, 0o100644 << 16,
                       offset) + name + extra + comment


def end(count, cd_size, cd_offset, comment=b""):
    return struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, cd_size, cd_offset,
                       len(comment)) + comment


def archive(entries, prefix=b"", comment=b""):
    """entries: (name, data, method, dict of overrides) tuples."""
    body, cd = bytearray(), bytearray()
    for name, data, method, opt in entries:
        comp = deflate(data) if method == 8 else data
        crc = opt.get("crc", zlib.crc32(data))
        usize = opt.get("usize", len(data))
        offset = len(body)
        body += local(name, comp, method, crc, usize, opt.get("flags", 0), opt.get("lextra", b""))
        body += comp
        cd += central(name, method, crc, len(comp), usize, offset, opt.get("flags", 0),
                      opt.get("extra", b""), opt.get("comment", b""))
    return prefix + bytes(body) + bytes(cd) + end(len(entries), len(cd), len(body), comment)


def python_zip():
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w") as z:
        z.writestr("readme.txt", b"hello setup " * 40, compress_type=zipfile.ZIP_DEFLATED)
        z.writestr("bin/tool.exe", bytes(range(256)) * 3, compress_type=zipfile.ZIP_STORED)
        z.writestr("bin/", b"")
        z.writestr("empty.dat", b"", compress_type=zipfile.ZIP_DEFLATED)
    return buf.getvalue()


def zip64_end_record():
    a, b = b"first", b"second entry"
    body = local(b"one", a, 0, zlib.crc32(a), len(a)) + a
    off2 = len(body)
    body += local(b"two", b, 0, zlib.crc32(b), len(b)) + b
    cd = central(b"one", 0, zlib.crc32(a), len(a), len(a), 0)
    cd += central(b"two", 0, zlib.crc32(b), len(b), len(b), off2,
                  extra=struct.pack("<HHQQ", 1, 16, len(b), len(b)))
    rec = len(body) + len(cd)
    z64 = struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, 2, 2, len(cd), len(body))
    loc = struct.pack("<IIQI", 0x07064B50, 0, rec, 1)
    return body + cd + z64 + loc + end(0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF)


def record_after_end():
    # The end record sits inside the first entry's comment; a second central record
    # follows it and is cut off by the end of the file.
    d = b"abc"
    body = local(b"a", d, 0, zlib.crc32(d), 3) + d
    cd1 = central(b"a", 0, zlib.crc32(d), 3, 3, 0)
    cd1 = cd1[:32] + struct.pack("<H", 22) + cd1[34:]
    return body + cd1 + end(2, 47, len(body)) + struct.pack("<IHHHH", 0x02014B50, 20, 20, 0, 0) + b"\x34\x12"


def main():
    os.makedirs(OUT, exist_ok=True)
    text = b"The quick brown fox jumps over the lazy dog. " * 20
    seeds = {
        "python.zip": python_zip(),
        "stub_prefix.zip": archive([(b"setup.ini", text, 8, {})], prefix=b"MZ" + bytes(200),
                                   comment=b"archive comment"),
        "descriptor.zip": archive([(b"d.txt", text, 8, {"flags": 8})]),
        "long_name.zip": archive([(b"n" * 600, b"x", 0, {}), (b"short", b"", 0, {})]),
        "extras.zip": archive([(b"e.txt", b"data", 0, {
            "extra": struct.pack("<HH", 0x5455, 5) + b"\x01abcd" + struct.pack("<HH", 1, 0),
            "comment": b"entry comment", "lextra": b"\x55\x54\x01\x00\x01"})]),
        "many.zip": archive([(b"f%02d" % i, bytes([i]) * i, 8 if i % 2 else 0, {})
                             for i in range(30)]),
        "odd_entries.zip": archive([
            (b"bz", b"not really bzip2", 12, {}),
            (b"short", b"12345", 8, {"usize": 500}),
            (b"badcrc", b"payload", 0, {"crc": 0x12345678}),
            (b"ok", b"fine", 0, {})]),
        "zip64_end.zip": zip64_end_record(),
        "record_after_end.zip": record_after_end(),
    }
    for name, data in seeds.items():
        assert len(data) < 4096, name
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
