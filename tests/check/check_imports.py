#!/usr/bin/env python3
"""Checks that shipped Windows programs load on every system they are made for.

Reads each program's PE header and import table and holds every imported
function against the floor table (which systems export it, with sources):
the loader refuses a program whose import a system's DLL lacks, so one such
import keeps the program from starting at all there.

usage: check_imports.py TABLE ARCH PROGRAM[=gui|console] ...
ARCH is i686 or x64.
"""
import struct
import sys

SYSTEMS = ["95", "98", "Me", "NT4", "2000", "XP", "XPx64"]

# What each system may answer for the program to load there. "I" is the
# shell update of Internet Explorer 4 and "Nd" an msvcrt.dll installed with
# it or an application: both are what 95 and NT 4.0 need.
ALLOWED = {
    "i686": {"95": {"Y", "S", "I", "Nd"}, "98": {"Y", "S"}, "Me": {"Y", "S"},
             "NT4": {"Y", "S", "I", "Nd"}, "2000": {"Y", "S"}, "XP": {"Y", "S"}},
    "x64": {"XPx64": {"Y", "S"}},
}

# Functions that some target exports only as a stub that fails: each must
# have a fallback for that failure.
HANDLED_STUBS = {
    # Ours: platform/move_fallback.h.
    "MoveFileExA",
    # The C runtime's, on the Windows 95 family: the win32 thread model's
    # mutexes wait on their semaphore only when another thread holds them,
    # and the launcher has one thread; the msvcrt lookups that use the other
    # two fall back to the runtime's own code when they fail.
    "CreateSemaphoreW", "GetModuleHandleW", "LoadLibraryW",
}

# The only DLLs a shipped program may import. The loader looks for any other
# one beside the program first (unless the system lists it as a known DLL),
# and the launcher runs with administrator rights from folders anyone may
# write to. KERNEL32 is mapped into every process before its first
# instruction; the C runtime cannot be avoided (a known DLL from Windows 7
# on; on XP and before it is looked for beside the program).
IMPORTABLE_DLLS = {"KERNEL32.DLL", "MSVCRT.DLL"}

# Highest subsystem and OS version each build may ask for: 4.0 is what
# Windows 95 and NT 4.0 load, 5.2 what XP x64 / Server 2003 x64 load.
MAX_VERSION = {"i686": (4, 0), "x64": (5, 2)}
MACHINE = {"i686": 0x14C, "x64": 0x8664}
SUBSYSTEM = {"gui": 2, "console": 3}


def read_table(path):
    table = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            fields = line.rstrip("\n").split("\t")
            arch, dll, function = fields[0], fields[1].upper(), fields[2]
            verdicts = dict(zip(SYSTEMS, fields[3:10]))
            table[(arch, dll, function)] = verdicts
    return table


class Image:
    def __init__(self, data):
        self.data = data
        (pe,) = struct.unpack_from("<I", data, 0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        self.wide = magic == 0x20B
        self.os_version = struct.unpack_from("<HH", data, optional + 40)
        self.subsystem_version = struct.unpack_from("<HH", data, optional + 48)
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = optional + (112 if self.wide else 96)
        self.imports_rva = struct.unpack_from("<I", data, directories + 8)[0]
        self.delay_rva = struct.unpack_from("<I", data, directories + 13 * 8)[0]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, vsize, vaddr, rsize, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, rsize), raw))

    def offset(self, rva):
        for vaddr, size, raw in self.sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + raw
        raise ValueError("address 0x%x lies in no section" % rva)

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        """Yields (dll, function name or None for an ordinal)."""
        width, flag = (8, 1 << 63) if self.wide else (4, 1 << 31)
        if self.imports_rva:
            at = self.offset(self.imports_rva)
            while True:
                lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, at)
                if name == 0:
                    break
                yield from self._thunks(self.text(name), lookup or first, width, flag)
                at += 20
        if self.delay_rva:
            at = self.offset(self.delay_rva)
            while True:
                fields = struct.unpack_from("<IIIIIIII", self.data, at)
                if fields[1] == 0:
                    break
                yield from self._thunks(self.text(fields[1]), fields[4], width, flag)
                at += 32

    def _thunks(self, dll, rva, width, flag):
        at = self.offset(rva)
        while True:
            (entry,) = struct.unpack_from("<Q" if width == 8 else "<I", self.data, at)
            if entry == 0:
                return
            # A name entry points at a two-byte hint and then the name.
            yield dll, None if entry & flag else self.text((entry & 0x7FFFFFFF) + 2)
            at += width


def check(table, arch, path, kind):
    problems = []
    with open(path, "rb") as f:
        image = Image(f.read())
    if image.machine != MACHINE[arch]:
        problems.append("machine 0x%x is not %s" % (image.machine, arch))
    if kind and image.subsystem != SUBSYSTEM[kind]:
        problems.append("subsystem %d, not the %s subsystem" % (image.subsystem, kind))
    for what, version in (("OS", image.os_version), ("subsystem", image.subsystem_version)):
        if version > MAX_VERSION[arch]:
            problems.append("%s version %d.%d: systems before it refuse to load the program"
                            % ((what,) + version))
    count = 0
    for dll, function in image.imports():
        count += 1
        if dll.upper() not in IMPORTABLE_DLLS:
            problems.append("%s!%s: %s may be looked for beside the program: load it at run time "
                            "from the system directory" % (dll, function, dll))
            continue
        if function is None:
            problems.append("%s imports by ordinal: not checkable" % dll)
            continue
        verdicts = table.get((arch, dll.upper(), function))
        if verdicts is None:
            problems.append("%s!%s is not in the floor table yet: look it up and add a row" % (dll, function))
            continue
        for system, allowed in ALLOWED[arch].items():
            verdict = verdicts.get(system, "")
            if verdict not in allowed:
                problems.append("%s!%s: %s on Windows %s" % (dll, function, verdict or "no verdict", system))
            elif verdict == "S" and function not in HANDLED_STUBS:
                problems.append("%s!%s is a failing stub on Windows %s, with no fallback" % (dll, function, system))
    return count, problems


def main(argv):
    if len(argv) < 4 or argv[2] not in ALLOWED:
        sys.stderr.write(__doc__)
        return 2
    table = read_table(argv[1])
    failed = False
    for argument in argv[3:]:
        path, _, kind = argument.partition("=")
        count, problems = check(table, argv[2], path, kind)
        print("%s: %d imports%s" % (path, count, ", all load" if not problems else ""))
        for problem in problems:
            print("  " + problem)
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
