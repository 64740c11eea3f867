#!/usr/bin/env python3
"""Counts the system calls per extracted file of the launcher and of
miniunzip on the same archive (400 small files in 8 folders), with strace -c.
Prints one table; not a test.

usage: syscalls_per_file.py LAUNCHER WORKDIR
"""
import os
import random
import shutil
import subprocess
import sys
import zipfile

FILES = 400


def make_archive(path):
    rng = random.Random(7)
    words = "setup file folder value profile archive entry".split()
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for i in range(FILES):
            info = zipfile.ZipInfo("data/%d/item%04d.txt" % (i % 8, i), date_time=(2021, 6, 1, 12, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, " ".join(rng.choice(words) for _ in range(rng.randint(100, 800))))


def counts(argv, env, cwd, summary):
    # The launcher ends with status 1 whatever happened: no status is checked.
    subprocess.run(["strace", "-f", "-c", "-o", summary] + argv, env=env, cwd=cwd,
                   stdout=subprocess.DEVNULL)
    calls = {}
    with open(summary) as f:
        for line in f:
            fields = line.split()
            if len(fields) >= 5 and fields[0][0].isdigit() and fields[-1] != "total":
                calls[fields[-1]] = int(fields[3])
    return calls


def main():
    launcher, work = sys.argv[1], sys.argv[2]
    shutil.rmtree(work, ignore_errors=True)
    package, out_launcher, out_peer = (os.path.join(work, d) for d in ("pkg", "out-launcher", "out-peer"))
    for d in (package, out_launcher, out_peer):
        os.makedirs(d)
    make_archive(os.path.join(package, "Setup.2k"))
    shutil.copy(launcher, os.path.join(package, "Setup"))
    with open(os.path.join(package, "Setup.ini"), "w") as ini:
        ini.write("[BEFORE]\r\nCOPYFROMZIP=1\r\n[PARAMS]\r\nDEFAULTCMD=none\r\n")
    env = dict(os.environ, SystemRoot="Z:" + out_launcher.replace("/", "\\"),
               LAUNCHER_MUTEX_DIR=os.path.join(work, "mutex"))
    mine = counts([os.path.join(package, "Setup")], env, package, os.path.join(work, "launcher.txt"))
    peer = counts(["miniunzip", "-o", "-x", os.path.join(package, "Setup.2k")], None, out_peer,
                  os.path.join(work, "peer.txt"))
    print("System calls per file, %d files in 8 folders (strace -c)" % FILES)
    print("| call | launcher | miniunzip |")
    print("|---|---:|---:|")
    for name in sorted(set(mine) | set(peer), key=lambda n: -(mine.get(n, 0) + peer.get(n, 0))):
        a, b = mine.get(name, 0) / FILES, peer.get(name, 0) / FILES
        if a >= 0.05 or b >= 0.05:
            print("| %s | %.2f | %.2f |" % (name, a, b))
    print("| all | %.2f | %.2f |" % (sum(mine.values()) / FILES, sum(peer.values()) / FILES))


if __name__ == "__main__":
    main()
