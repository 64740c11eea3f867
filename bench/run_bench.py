#!/usr/bin/env python3
"""Runs every extractor on every benchmark archive, round by round, and
prints one table of medians. Called by scripts/bench, which builds the
programs and the archives first."""
import argparse
import os
import shutil
import statistics
import sys
import time
import zipfile

ARCHIVES = [("package", "package.zip"), ("small", "small.zip"), ("folders", "folders.zip"),
            ("big", "big.zip")]


MEASURE = None  # the measuring helper, set in main()


def spawn(argv, env=None, stdout=None, cwd=None):
    """Runs argv to its end: (wall seconds, user, sys, peak RSS KiB, status)."""
    import subprocess
    wrapped = [MEASURE, stdout or "-"] + argv
    out = subprocess.run(wrapped, env=env if env is not None else os.environ, cwd=cwd,
                         check=True, capture_output=True, text=True).stdout.split()
    return float(out[0]), float(out[1]), float(out[2]), int(out[3]), int(out[4])


class Tool:
    def __init__(self, name, durable, command, launcher=None):
        self.name = name
        self.durable = durable    # flushes every file to the disk
        self.command = command    # (archive, dest) -> (argv, env, stdout, cwd)
        self.launcher = launcher  # the launcher's package directory


def launcher_tool(name, program, standin, work, durable):
    package = os.path.join(work, "pkg-" + name)
    os.makedirs(package, exist_ok=True)
    for file_name, source in (("Setup", program), ("Quorle.exe", standin)):
        target = os.path.join(package, file_name)
        if os.path.exists(target):
            os.remove(target)  # a new file, even when an old run still has it open
        shutil.copy(source, target)
    with open(os.path.join(package, "Setup.ini"), "w") as ini:
        ini.write("[BEFORE]\r\nCOPYFROMZIP=1\r\n")
    mutexes = os.path.join(work, "mutex")
    os.makedirs(mutexes, exist_ok=True)

    def command(archive, dest):
        link = os.path.join(package, "Setup.2k")
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(archive, link)
        env = dict(os.environ, SystemRoot="Z:" + dest.replace("/", "\\"),
                   LAUNCHER_MUTEX_DIR=mutexes)
        return [os.path.join(package, "Setup")], env, None, None

    return Tool(name, durable, command, launcher=package)


def peer_tools(helpers):
    python = sys.executable
    script = os.path.join(helpers, "pyzip_extract.py")
    return [
        Tool("unzip -o", False, lambda a, d: (["/usr/bin/unzip", "-o", "-q", a, "-d", d], None, None, None)),
        Tool("bsdtar -x", False, lambda a, d: (["/usr/bin/bsdtar", "-xf", a, "-C", d], None, None, None)),
        Tool("miniunzip -o -x", False,
             lambda a, d: (["/usr/bin/miniunzip", "-o", "-x", a, "-d", d], None, "/dev/null", None)),
        Tool("python zipfile", False, lambda a, d: ([python, script, a, d], None, None, None)),
        Tool("python zipfile+fsync", True,
             lambda a, d: ([python, script, "--fsync", a, d], None, None, None)),
        Tool("bsdtar -xO >/dev/null", False,
             lambda a, d: (["/usr/bin/bsdtar", "-xOf", a], None, "/dev/null", None)),
    ]


def check_output(archive, dest):
    """The extraction is complete: every file there with its size."""
    with zipfile.ZipFile(archive) as z:
        for info in z.infolist():
            if info.is_dir():
                continue
            path = os.path.join(dest, info.filename)
            if not os.path.isfile(path) or os.path.getsize(path) != info.file_size:
                return False
    return True


def measure(tools, data, work, runs, log):
    results = {}
    for label, file_name in ARCHIVES:
        archive = os.path.join(data, file_name)
        for round_index in range(runs):
            for tool in tools:
                dest = os.path.join(work, "out")
                if os.path.exists(dest):
                    shutil.rmtree(dest)
                os.makedirs(dest)
                if tool.durable:
                    os.sync()  # no one else's writes are flushed on its time
                argv, env, stdout, cwd = tool.command(archive, dest)
                wall, user, system, rss, status = spawn(argv, env, stdout, cwd)
                if tool.launcher is None and status != 0:
                    sys.exit("%s failed on %s (status %d)" % (tool.name, file_name, status))
                if round_index == 0 and stdout != "/dev/null" and not check_output(archive, dest):
                    sys.exit("%s left an incomplete extraction of %s" % (tool.name, file_name))
                results.setdefault((label, tool.name), []).append((wall, user, system, rss))
                log.write("%s %s %.3f %.3f %.3f %d\n" % (label, tool.name, wall, user, system, rss))
                log.flush()
        shutil.rmtree(os.path.join(work, "out"), ignore_errors=True)
    return results


def medians(samples):
    return (statistics.median(s[0] for s in samples),
            statistics.median(s[1] + s[2] for s in samples),
            statistics.median(s[1] for s in samples),
            max(s[3] for s in samples))


def overhead(helpers, program, standin, work, runs):
    package = os.path.join(work, "pkg-overhead")
    os.makedirs(package, exist_ok=True)
    shutil.copy(program, os.path.join(package, "Setup"))
    shutil.copy(standin, os.path.join(package, "Quorle.exe"))
    open(os.path.join(package, "Setup.ini"), "w").close()  # every step off
    stamps = os.path.join(work, "stamps")
    env = dict(os.environ, BENCH_STAMP=stamps, LAUNCHER_MUTEX_DIR=os.path.join(work, "mutex"))
    figures = {}
    for name, target in (("launcher", os.path.join(package, "Setup")),
                         ("stand-in alone", os.path.join(package, "Quorle.exe"))):
        import subprocess
        output = subprocess.run([os.path.join(helpers, "overhead"), str(runs), stamps, target],
                                env=env, check=True, capture_output=True, text=True).stdout
        pairs = [tuple(int(x) for x in line.split()) for line in output.splitlines()]
        figures[name] = (statistics.median(p[0] for p in pairs) / 1e3,
                         statistics.median(p[1] for p in pairs) / 1e3)
    return figures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--launcher-noflush", required=True)
    parser.add_argument("--standin", required=True)
    parser.add_argument("--helpers", required=True)
    parser.add_argument("--data", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--only", default="")
    parser.add_argument("--archives", default="", help="comma-separated labels, e.g. small,folders")
    args = parser.parse_args()
    if args.archives:
        ARCHIVES[:] = [a for a in ARCHIVES if a[0] in args.archives.split(",")]

    global MEASURE
    MEASURE = os.path.join(args.helpers, "measure")
    work = args.work
    os.makedirs(work, exist_ok=True)
    tools = [launcher_tool("launcher", args.launcher, args.standin, work, True),
             launcher_tool("launcher no-flush", args.launcher_noflush, args.standin, work, False)]
    tools += peer_tools(args.helpers)
    if args.only:
        tools = [t for t in tools if t.name in args.only.split(",")]

    with open(os.path.join(work, "samples.log"), "w") as log:
        results = measure(tools, args.data, work, args.runs, log)
    floor = spawn(["/bin/true"])[3]

    print("Extraction, median of %d runs (wall and CPU in seconds, peak RSS in KiB);" % args.runs)
    print("x = ratio to the launcher that makes the same promise (flush or no flush)\n")
    print("| archive | extractor | wall s | x | user+sys s | x | user s | peak RSS KiB |")
    print("|---|---|---:|---:|---:|---:|---:|---:|")
    for label, _ in ARCHIVES:
        base = {}
        for tool in tools:
            if tool.launcher is not None and (label, tool.name) in results:
                base[tool.durable] = medians(results[(label, tool.name)])
        for tool in tools:
            if (label, tool.name) not in results:
                continue
            wall, cpu, user, rss = medians(results[(label, tool.name)])
            ref = base.get(tool.durable)
            rw = "%.2f" % (wall / ref[0]) if ref else "-"
            rc = "%.2f" % (cpu / ref[1]) if ref else "-"
            print("| %s | %s | %.3f | %s | %.3f | %s | %.3f | %d |" % (label, tool.name, wall, rw, cpu, rc, user, rss))

    print("\n(peak RSS of /bin/true measured the same way: %d KiB)" % floor)
    print("\nTargets")
    for label in ("package", "big"):
        mine = results.get((label, "launcher no-flush"))
        if not mine:
            continue
        wall, cpu, user, _ = medians(mine)
        peers = [medians(results[(label, n)]) for n in ("unzip -o", "bsdtar -x", "miniunzip -o -x", "python zipfile")
                 if (label, n) in results]
        if peers:
            best_wall = min(p[0] for p in peers)
            best_cpu = min(p[1] for p in peers)
            print("  %s, no flush: wall %.3f vs fastest peer %.3f: %s; user+sys %.3f vs %.3f: %s" % (
                label, wall, best_wall, "met" if wall <= best_wall else "MISSED",
                cpu, best_cpu, "met" if cpu <= best_cpu else "MISSED"))
        sink = results.get((label, "bsdtar -xO >/dev/null"))
        if sink:
            sink_user = medians(sink)[2]
            print("  %s, no flush: user %.3f = %.2fx inflating to nowhere (%.3f), target 1.15: %s" % (
                label, user, user / sink_user, sink_user, "met" if user <= 1.15 * sink_user else "MISSED"))
    for label, _ in ARCHIVES:
        mine = results.get((label, "launcher"))
        python = results.get((label, "python zipfile+fsync"))
        if mine and python:
            a, b = medians(mine)[0], medians(python)[0]
            print("  %s, with flush: wall %.3f vs python zipfile+fsync %.3f: %s" % (
                label, a, b, "met" if a <= b else "MISSED"))
    mine = results.get(("big", "launcher"))
    if mine:
        rss = medians(mine)[3]
        print("  big: peak RSS %d KiB, target under 4096: %s" % (rss, "met" if rss < 4096 else "MISSED"))

    figures = overhead(args.helpers, args.launcher, args.standin, work, 200)
    print("\nOverhead with every step off, median of 200 runs (microseconds)\n")
    print("| started | spawn to setup start | setup end to exit |")
    print("|---|---:|---:|")
    for name, (before, after) in figures.items():
        print("| %s | %.0f | %.0f |" % (name, before, after))
    own = [figures["launcher"][i] - figures["stand-in alone"][i] for i in (0, 1)]
    print("\n  launcher's own: %.0f us before, %.0f us after; target under 2000 each: %s" % (
        own[0], own[1], "met" if max(own) < 2000 else "MISSED"))


if __name__ == "__main__":
    main()
