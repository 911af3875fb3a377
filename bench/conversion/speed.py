#!/usr/bin/python3
"""speed.py - a 16Base console conversion part by part, against FFmpeg, and
a batch of ten files through the worker against ten console runs.

usage: bench/conversion/speed.py [--build DIR] [--rounds N] [--only console|batch]

Every measure is paired with its peer in the same run: each round runs the
commands in turn (so they share the machine's load), the medians over the
rounds are compared and the ratio printed. Outputs are removed before each
run, outside the timing, so no run pays for replacing an older file.

1. console: `pixmera -q -i F -o OUT` (F = tests/data/pcd/kodak_16base.pcd)
   against `ffmpeg -i F OUT.tiff`; goal: at most 0.65. A third run per
   round carries the timing probe (build/bench/libpixmera_probe.so, preloaded
   into the program and its converters) and gives the parts of a run: start
   (until the program's first instruction), to module (command line,
   settings), module load (the engine), validation, each converter run
   (with its own start, reading, decoding, writing and rename), the pauses
   after them, loading the picture, the chain (and the PhotoCD record),
   saving, the TIFF tags, the rename and the end (deleting the converter's
   picture, leaving the process). The probed run is not the one timed.
2. batch: pixmera_bench_batch (the worker over ten 16Base files, started as
   the window starts it) against ten console runs one after another over
   the same files; goal: at most 0.75. Both must write the same TIFFs.

FFmpeg is a peer only: installed with apt-get when missing (as root), never
a dependency of the program. Exit status 1 when a goal is missed.
"""
import argparse
import filecmp
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
FIXTURES = os.path.join(ROOT, "tests", "data", "pcd")
SIXTEEN_BASE = ["kodak_16base.pcd", "photo_16base.pcd", "photo_portrait_16base.pcd",
                "kodak_rot180_16base.pcd"]


def machine():
    cpu = "unknown CPU"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    return "%s, %d CPUs, %s; %s" % (platform.machine(), os.cpu_count(), cpu,
                                    time.strftime("%Y-%m-%d", time.gmtime()))


def timed(command, env, check=True):
    """Wall time of one run in milliseconds."""
    start = time.monotonic_ns()
    result = subprocess.run(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    elapsed = (time.monotonic_ns() - start) / 1e6
    if check and result.returncode != 0:
        sys.exit("failed (%d): %s\n%s" % (result.returncode, " ".join(command),
                                           result.stderr.decode(errors="replace")))
    return elapsed


def empty(folder):
    for name in os.listdir(folder):
        path = os.path.join(folder, name)
        if os.path.isdir(path):
            shutil.rmtree(path)
        else:
            os.remove(path)


def ensure_ffmpeg():
    if shutil.which("ffmpeg"):
        return
    if os.geteuid() == 0:
        print("installing ffmpeg for the comparison", file=sys.stderr)
        subprocess.run(["apt-get", "install", "-y", "-qq", "ffmpeg"],
                       env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"),
                       stdout=subprocess.DEVNULL, check=False)
    if not shutil.which("ffmpeg"):
        sys.exit("ffmpeg is not installed (apt-get install ffmpeg)")


# The parts of a probed run, from the probe's lines: (name, start event,
# end event), each event a (pid role, event name, occurrence) found in order.
def parts_of(lines, total_ms):
    events = []
    for line in lines:
        fields = line.rstrip("\n").split(" ", 3)
        if len(fields) < 3:
            continue
        events.append((int(fields[0]) / 1e6, int(fields[1]), fields[2],
                       fields[3] if len(fields) > 3 else ""))
    program = events[0][1]
    mine = [e for e in events if e[1] == program]
    parts = []

    def first(pred, after=-1.0, source=mine):
        for e in source:
            if e[0] >= after and pred(e):
                return e[0]
        return None

    start = first(lambda e: e[2] == "start")
    dlopen = first(lambda e: e[2] == "dlopen")
    dlopened = first(lambda e: e[2] == "dlopened")
    parts += [("start", 0.0, start), ("to module", start, dlopen), ("module load", dlopen, dlopened)]
    spawns = [e for e in mine if e[2] == "spawn"]
    parts.append(("validation", dlopened, spawns[0][0]))
    last = spawns[0][0]
    for spawn in spawns:
        index = spawn[3].rsplit(" ", 1)[-1]
        reaped = first(lambda e: e[2] == "reaped", spawn[0])
        child = [e for e in events if e[1] != program and spawn[0] <= e[0] <= reaped]
        parts.append(("converter %s" % index, spawn[0], reaped))
        c_start = first(lambda e: e[2] == "start", source=child)
        c_end = first(lambda e: e[2] == "end", source=child)
        opened = [e for e in child if e[2] == "fopen" and e[3].startswith("rb ")]
        closed = [e for e in child if e[2] == "fclose" and e[3].endswith((".pcd", ".PCD"))]
        out_open = first(lambda e: e[2] == "fopen" and e[3].startswith("wbx "), source=child)
        out_close = first(lambda e: e[2] == "fclose" and e[3].endswith(".tmp"), source=child)
        renamed = first(lambda e: e[2] == "renamed", source=child)
        sub = [("  its start", spawn[0], c_start)]
        if out_open is not None and len(opened) >= 2:
            sub += [("  reading the Image Pac", opened[-1][0], closed[-1][0]),
                    ("  decoding", closed[-1][0], out_open),
                    ("  converting and writing", out_open, out_close),
                    ("  rename", out_close, renamed),
                    ("  its end", renamed, reaped)]
        else:
            sub += [("  refusing, its end", c_start, reaped)]
        parts += [(name.replace("  ", "  %s " % index, 1), a, b) for name, a, b in sub]
        woke = first(lambda e: e[2] == "woke", reaped)
        parts.append(("pause after %s" % index, reaped, woke))
        last = woke
    picture_open = first(lambda e: e[2] == "fopen" and e[3].endswith((".tga", ".ppm")), last)
    picture_close = [e for e in mine if e[2] == "fclose" and e[3].endswith((".tga", ".ppm"))][-1][0]
    save_open = first(lambda e: e[2] == "fopen" and e[3].startswith("r+b "), picture_close)
    save_close = first(lambda e: e[2] == "fclose" and e[3].endswith(".tmp"), save_open)
    tags_close = first(lambda e: e[2] == "close" and e[1] == program, save_close)
    rename = first(lambda e: e[2] == "rename", save_close)
    renamed = first(lambda e: e[2] == "renamed", rename)
    parts += [("loading the picture", picture_open, picture_close),
              ("chain and record", picture_close, save_open),
              ("saving", save_open, save_close),
              ("TIFF tags", save_close, tags_close if tags_close is not None else save_close),
              ("rename", rename, renamed),
              ("end", renamed, total_ms)]
    return [(name, b - a) for name, a, b in parts if a is not None and b is not None]


def console(args, env, work):
    pixmera = os.path.join(args.build, "bin", "pixmera")
    probe = os.path.join(args.build, "bench", "libpixmera_probe.so")
    fixture = os.path.join(FIXTURES, "kodak_16base.pcd")
    out = os.path.join(work, "out")
    os.makedirs(out, exist_ok=True)
    log = os.path.join(work, "probe.log")
    ours, peer, parts = [], [], {}
    order = []
    for _ in range(args.rounds):
        empty(out)
        ours.append(timed([pixmera, "-q", "-i", fixture, "-o", out], env))
        empty(out)
        peer.append(timed(["ffmpeg", "-nostdin", "-v", "error", "-y", "-i", fixture,
                           os.path.join(out, "ffmpeg.tiff")], env))
        empty(out)
        if os.path.exists(log):
            os.remove(log)
        probed = dict(env, LD_PRELOAD=probe, PIXMERA_PROBE_LOG=log)
        probed["PIXMERA_PROBE_T0"] = str(time.monotonic_ns())
        start = int(probed["PIXMERA_PROBE_T0"])
        subprocess.run([pixmera, "-q", "-i", fixture, "-o", out], env=probed, check=True)
        total = (time.monotonic_ns() - start) / 1e6
        with open(log) as f:
            for name, ms in parts_of(f.readlines(), total):
                if name not in parts:
                    order.append(name)
                parts.setdefault(name, []).append(ms)
    o, p = statistics.median(ours), statistics.median(peer)
    print("16Base console conversion to TIFF, %d rounds, medians:" % args.rounds)
    print("  pixmera -q -i F -o OUT     %8.1f ms" % o)
    print("  ffmpeg -i F OUT.tiff       %8.1f ms" % p)
    print("  ratio %.2f (goal <= 0.65)" % (o / p))
    print("parts of a probed run (medians of %d):" % args.rounds)
    for name in order:
        print("  %-28s %8.1f ms" % (name, statistics.median(parts[name])))
    return o / p <= 0.65


def batch(args, env, work):
    pixmera = os.path.join(args.build, "bin", "pixmera")
    driver = os.path.join(args.build, "bin", "pixmera_bench_batch")
    discs = os.path.join(work, "IMAGES")
    os.makedirs(discs, exist_ok=True)
    files = []
    for i in range(10):
        name = os.path.join(discs, "IMG%04d.PCD" % (i + 1))
        shutil.copyfile(os.path.join(FIXTURES, SIXTEEN_BASE[i % len(SIXTEEN_BASE)]), name)
        files.append(name)
    by_worker = os.path.join(work, "worker")
    by_console = os.path.join(work, "console")
    os.makedirs(by_worker, exist_ok=True)
    os.makedirs(by_console, exist_ok=True)

    def ten_console_runs():
        for name in files:
            subprocess.run([pixmera, "-q", "-i", name, "-o", by_console], env=env, check=True,
                           stdout=subprocess.DEVNULL)

    ours, peer = [], []
    for _ in range(args.rounds):
        empty(by_worker)
        ours.append(timed([driver, by_worker] + files, env))
        empty(by_console)
        start = time.monotonic_ns()
        ten_console_runs()
        peer.append((time.monotonic_ns() - start) / 1e6)
    names = sorted(os.listdir(by_console))
    same = names == sorted(os.listdir(by_worker)) and len(names) == len(files) and all(
        filecmp.cmp(os.path.join(by_console, n), os.path.join(by_worker, n), shallow=False)
        for n in names)
    o, p = statistics.median(ours), statistics.median(peer)
    print("ten 16Base files, %d rounds, medians:" % args.rounds)
    print("  the worker over the ten     %8.1f ms" % o)
    print("  ten console runs            %8.1f ms" % p)
    print("  ratio %.2f (goal <= 0.75); the same TIFFs: %s" % (o / p, "yes" if same else "NO"))
    return same and o / p <= 0.75


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "release"))
    parser.add_argument("--rounds", type=int, default=11)
    parser.add_argument("--only", choices=["console", "batch"])
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    ensure_ffmpeg()
    work = tempfile.mkdtemp(prefix="pixmera-speed.")
    try:
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_RUNTIME_DIR=work)
        env.pop("PIXMERA_CONVERTER", None)
        print("machine: " + machine())
        met = True
        if args.only in (None, "console"):
            met &= console(args, env, work)
        if args.only in (None, "batch"):
            met &= batch(args, env, work)
        return 0 if met else 1
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
