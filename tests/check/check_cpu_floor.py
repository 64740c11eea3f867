#!/usr/bin/env python3
"""Checks that shipped i686 programs run on a Pentium (i586).

Windows 95, 98, Me and XP run on processors without the P6 instructions
(Pentium MMX, K6, C3): one CMOV, FCOMI or SSE instruction on a path the
program takes kills it there with an illegal-instruction fault. The compiler
and the runtime it links are easily built for a later processor, so every
instruction of each program's code is held against the floor.

usage: check_cpu_floor.py OBJDUMP PROGRAM...
Prints each program's count; exits 1 when any program holds one.
"""
import re
import struct
import subprocess
import sys

# Mnemonics (as objdump spells them, AT&T syntax) beyond the Pentium.
BEYOND_MNEMONIC = re.compile(
    r"^(cmov|fcmov|fcomi|fucomi|sysenter|sysexit|fxsave|fxrstor|emms|femms|"
    r"prefetch|sfence|lfence|mfence|movnti|clflush|ldmxcsr|stmxcsr|maskmov|"
    r"popcnt|lzcnt|movbe|crc32|rdrand|rdseed|xgetbv|xsave|xrstor|endbr|"
    r"nopw|nopl|pf|pi2f|pswapd|andn|bextr|blsi|blsmsk|blsr|bzhi|pdep|pext|"
    r"shlx|shrx|sarx|rorx|mulx|adcx|adox|vzero|rdtscp|monitor|mwait)")
# MMX, SSE and AVX registers.
BEYOND_REGISTER = re.compile(r"%(mm|xmm|ymm|zmm|k)[0-9]")
# Second opcode bytes of the 0F-escaped instructions a Pentium has; every
# later instruction set either lives in the rest of that space (long NOP and
# hint NOPs, CMOV, SSE, ...) or uses registers caught above. 0B is UD2,
# which no processor runs: it is there to fault, and does so everywhere.
PENTIUM_0F = set(
    [0x00, 0x01, 0x02, 0x03, 0x06, 0x08, 0x09, 0x0B, 0x20, 0x21, 0x22, 0x23,
     0x30, 0x31, 0x32, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA8, 0xA9, 0xAA,
     0xAB, 0xAC, 0xAD, 0xAF, 0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7,
     0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xC1, 0xC7]
    + list(range(0x80, 0xA0)) + list(range(0xC8, 0xD0)))
PREFIXES = {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65, 0x66, 0x67, 0xF0, 0xF2, 0xF3}
# Prefixed forms that reuse a Pentium opcode for a later instruction. Not
# F3 0F BC, which objdump shows as tzcnt: the compiler emits it for a count
# of trailing zeros of a value that is never 0, where every processor
# without TZCNT ignores the prefix and runs BSF, with the same result.
BEYOND_PREFIXED_0F = {(0xF3, 0xB8), (0xF3, 0xBD)}


def code_range(program):
    """Returns (start, end) virtual addresses of the code in .text.

    The linker ends .text's code with the constructor and destructor lists
    (-1, pointers into .text, 0, twice) and puts exception tables after them:
    data that would disassemble into junk. The programs are stripped, so the
    lists are found by their shape; the last match is taken, so that a false
    one can only widen the scan, never hide code from it.
    """
    with open(program, "rb") as f:
        image = f.read()
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0" or struct.unpack_from("<H", image, pe + 4)[0] != 0x14C:
        raise ValueError("not an i386 PE program")
    sections = struct.unpack_from("<H", image, pe + 6)[0]
    optional = struct.unpack_from("<H", image, pe + 20)[0]
    base = struct.unpack_from("<I", image, pe + 24 + 28)[0]
    table = pe + 24 + optional
    for i in range(sections):
        entry = table + 40 * i
        name = image[entry:entry + 8].rstrip(b"\0")
        size, address, raw_size, raw = struct.unpack_from("<IIII", image, entry + 8)
        if name == b".text":
            data = image[raw:raw + min(size, raw_size)]
            start = base + address
            break
    else:
        raise ValueError("no .text section")
    end = start + len(data)

    def word(offset):
        return struct.unpack_from("<I", data, offset)[0] if offset + 4 <= len(data) else None

    def pointer_list(offset):
        """Offset after a -1, pointers..., 0 list at offset, or None."""
        if word(offset) != 0xFFFFFFFF:
            return None
        offset += 4
        while True:
            value = word(offset)
            if value is None:
                return None
            if value == 0:
                return offset + 4
            if not start <= value < end:
                return None
            offset += 4

    found = None
    for offset in range(0, len(data) - 16, 4):
        after = pointer_list(offset)
        if after is not None and pointer_list(after) is not None:
            found = offset
    if found is None:
        raise ValueError("no constructor list in .text")
    return start, start + found


def opcode_beyond(raw):
    """True when a 0F-escaped opcode is not one a Pentium has."""
    i = 0
    prefix = None
    while i < len(raw) and raw[i] in PREFIXES:
        prefix = raw[i]
        i += 1
    if i + 1 >= len(raw) or raw[i] != 0x0F:
        return False
    second = raw[i + 1]
    return second not in PENTIUM_0F or (prefix, second) in BEYOND_PREFIXED_0F


LINE = re.compile(r"^\s*([0-9a-f]+):\t((?:[0-9a-f]{2} )+)\s*\t(.*)$")


def scan(objdump, program):
    start, end = code_range(program)
    listing = subprocess.run(
        [objdump, "-d", "--insn-width=16", "--start-address=%#x" % start,
         "--stop-address=%#x" % end, program],
        check=True, capture_output=True, text=True).stdout
    hits = []
    for line in listing.splitlines():
        match = LINE.match(line)
        if not match:
            continue
        address, raw, text = match.groups()
        raw = bytes.fromhex(raw.replace(" ", ""))
        mnemonic = text.split()[0] if text.split() else ""
        # "(bad)": bytes no processor decodes; never emitted as code.
        if (BEYOND_MNEMONIC.match(mnemonic) or BEYOND_REGISTER.search(text)
                or opcode_beyond(raw) or mnemonic == "(bad)"):
            hits.append("0x%s %s" % (address, " ".join(text.split())))
    return hits


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    objdump = sys.argv[1]
    failed = False
    for program in sys.argv[2:]:
        try:
            hits = scan(objdump, program)
        except (OSError, ValueError, subprocess.CalledProcessError) as error:
            print("%s: cannot scan: %s" % (program, error))
            failed = True
            continue
        if hits:
            failed = True
            print("%s: %d instructions beyond the Pentium, e.g.:" % (program, len(hits)))
            for hit in hits[:5]:
                print("  " + hit)
        else:
            print("%s: 0 instructions beyond the Pentium" % program)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
