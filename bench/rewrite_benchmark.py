#!/usr/bin/env python3
"""Rewriting a 200 MB archive: `zipbuilder rename` of one entry and `zipbuilder
copy` of one entry into another archive of that size, against `cp` of the
archive (the baseline: every byte read and written once), Info-ZIP
`zipnote -w` and `7z rn` renaming the same entry, measured in the same run.

Makes the two archives once (Python's zipfile, a deterministic corpus of some
hundreds of entries, mostly stored incompressible data) in a fresh temporary
folder, checks that our rename and copy did their work, then times N rounds in
which every command runs once on a fresh copy of its archive (the copying is not
timed, and the page cache is written back before each timed run). It prints the
median of each command, our throughput relative to cp (goal: at least 0.8) and
each peer's time relative to ours (goal: above 1, we are faster); exit code 1
when a goal is missed. Then it runs the rename and cp rounds again on tmpfs
(/dev/shm), where a flush to the device costs nothing: our extra time on disk
beyond cp's is what our flushing costs (cp, zipnote and 7z do not flush).

Usage: bench/rewrite_benchmark.py [--tool build/bin/zipbuilder] [--runs 3] [--megabytes 200] [--entries 400]
"""

import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import zipfile

from bench_corpus import built_tool, text_bytes, tool_parser

CP_GOAL = 0.8
PEER_GOAL = 1.0


def entry_name(index):
    return f"part-{index % 8}/entry-{index:04}.bin"


OLD_NAME = entry_name(100)
NEW_NAME = OLD_NAME.replace(".bin", "-renamed.bin")
TMPFS = "/dev/shm"


def make_archive(path, seed, total_bytes, entry_count, folder_prefix=""):
    """Mostly stored random data; every tenth entry deflated text."""
    generator = random.Random(seed)
    average = total_bytes // entry_count
    with zipfile.ZipFile(path, "w") as archive:
        for index in range(entry_count):
            size = generator.randint(average // 2, average * 3 // 2)
            name = folder_prefix + entry_name(index)
            if index % 10 == 9:
                archive.writestr(name, text_bytes(generator, size), zipfile.ZIP_DEFLATED)
            else:
                archive.writestr(name, generator.randbytes(size), zipfile.ZIP_STORED)
    return path


def run_checked(command, stdin=None):
    result = subprocess.run(command, input=stdin, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if result.returncode != 0:
        sys.exit(f"{' '.join(command)} failed: {result.stderr.decode(errors='replace')}")


def check_ours(tool, source, destination, scratch):
    """A rename or copy that did nothing is fast and meaningless."""
    work = shutil.copyfile(source, os.path.join(scratch, "check-rename.zip"))
    run_checked([tool, "rename", work, OLD_NAME, NEW_NAME])
    with zipfile.ZipFile(work) as archive:
        names = archive.namelist()
        if NEW_NAME not in names or OLD_NAME in names or archive.testzip() is not None:
            sys.exit("zipbuilder rename did not rename the entry: nothing to measure")
    work = shutil.copyfile(destination, os.path.join(scratch, "check-copy.zip"))
    run_checked([tool, "copy", source, work, OLD_NAME])
    with zipfile.ZipFile(work) as archive, zipfile.ZipFile(source) as original:
        if archive.read(OLD_NAME) != original.read(OLD_NAME) or archive.testzip() is not None:
            sys.exit("zipbuilder copy did not copy the entry: nothing to measure")
    os.remove(os.path.join(scratch, "check-rename.zip"))
    os.remove(work)


def commands_for(tool, source, destination):
    """name: (archive to work on a fresh copy of, or None; command for that copy; standard input)."""
    commands = {
        "cp": (None, lambda work: ["cp", source, work], None),
        # What a copy that reaches the device costs, as ours do.
        "cp + sync": (None, lambda work: ["sh", "-c", 'cp "$0" "$1" && sync "$1"', source, work], None),
        "zipbuilder rename": (source, lambda work: [tool, "rename", work, OLD_NAME, NEW_NAME], None),
        "zipbuilder copy": (destination, lambda work: [tool, "copy", source, work, OLD_NAME], None),
        "zipnote -w": (source, lambda work: ["zipnote", "-w", work], f"@ {OLD_NAME}\n@={NEW_NAME}\n".encode()),
        "7z rn": (source, lambda work: ["7z", "rn", work, OLD_NAME, NEW_NAME], None),
    }
    return commands


def installed(commands):
    for name in ("zipnote -w", "7z rn"):
        if shutil.which(name.split()[0]) is None:
            print(f"skipped, not installed: {name}")
            del commands[name]
    return commands


def timed_run(scratch, original, make_command, stdin):
    work = os.path.join(scratch, "work.zip")
    if original is not None:
        shutil.copyfile(original, work)
    # What the copy left for the disk to write back would slow the command down.
    os.sync()
    start = time.perf_counter()
    run_checked(make_command(work), stdin)
    seconds = time.perf_counter() - start
    os.remove(work)
    return seconds


def measure(commands, runs, scratch):
    """Interleaves the commands so that a slow moment of the machine hits all alike."""
    times = {name: [] for name in commands}
    for _ in range(runs):
        for name, (original, make_command, stdin) in commands.items():
            times[name].append(timed_run(scratch, original, make_command, stdin))
    return {name: statistics.median(samples) for name, samples in times.items()}


def report(medians, runs, megabytes):
    print(f"\nRewriting a {megabytes} MB archive, median seconds of {runs} runs:")
    cp = medians["cp"]
    for name, seconds in medians.items():
        print(f"  {name:20} {seconds:8.3f}")
    missed = []
    print("\nOur throughput relative to cp (goal at least %.1f):" % CP_GOAL)
    for ours in ("zipbuilder rename", "zipbuilder copy"):
        ratio = cp / medians[ours]
        print(f"  {ours:20} {ratio:6.2f}  {'met' if ratio >= CP_GOAL else 'NOT met'}")
        if ratio < CP_GOAL:
            missed.append(ours + " against cp")
    print("  (against cp + sync, which flushes as we do: rename %.2f, copy %.2f)"
          % (medians["cp + sync"] / medians["zipbuilder rename"], medians["cp + sync"] / medians["zipbuilder copy"]))
    peers = [name for name in medians if not name.startswith(("cp", "zipbuilder"))]
    if peers:
        print("\nPeer time / our rename time (goal above %.0f: we are faster):" % PEER_GOAL)
    for peer in peers:
        ratio = medians[peer] / medians["zipbuilder rename"]
        print(f"  {peer:20} {ratio:6.2f}  {'met' if ratio > PEER_GOAL else 'NOT met'}")
        if ratio <= PEER_GOAL:
            missed.append("zipbuilder rename against " + peer)
    return missed


def report_flush(disk, tmpfs):
    """On tmpfs a flush to the device costs nothing; cp does not flush anywhere."""
    print(f"\nOn tmpfs ({TMPFS}), median seconds: cp {tmpfs['cp']:.3f}, "
          f"zipbuilder rename {tmpfs['zipbuilder rename']:.3f}")
    ours_extra = disk["zipbuilder rename"] - tmpfs["zipbuilder rename"]
    cp_extra = disk["cp"] - tmpfs["cp"]
    flush = max(ours_extra - cp_extra, 0.0)
    print(f"  disk minus tmpfs: zipbuilder rename {ours_extra:+.3f} s, cp {cp_extra:+.3f} s")
    print(f"  our flush to the device: about {flush:.3f} s, "
          f"{100 * flush / disk['zipbuilder rename']:.0f}% of our rename on disk")
    unflushed = disk["zipbuilder rename"] - flush
    print(f"  our rename without it: {disk['cp'] / unflushed:.2f} of cp's throughput"
          + "".join(f", {peer} {disk[peer] / unflushed:.2f}x our time" for peer in ("zipnote -w", "7z rn")
                    if peer in disk))


def main():
    parser = tool_parser(__doc__, runs=3)
    parser.add_argument("--megabytes", type=int, default=200)
    parser.add_argument("--entries", type=int, default=400)
    arguments = parser.parse_args()
    tool = built_tool(arguments.tool)

    total = arguments.megabytes * 1000 * 1000
    folder = tempfile.mkdtemp(prefix="zipbuilder-rewrite-bench-")
    tmpfs_folder = tempfile.mkdtemp(prefix="zipbuilder-rewrite-bench-", dir=TMPFS) if os.path.isdir(TMPFS) else None
    try:
        source = make_archive(os.path.join(folder, "source.zip"), 20261209, total, arguments.entries)
        # Other names: the copied entry is a new one there.
        destination = make_archive(os.path.join(folder, "destination.zip"), 20261210, total, arguments.entries,
                                   folder_prefix="other-")
        check_ours(tool, source, destination, folder)
        medians = measure(installed(commands_for(tool, source, destination)), arguments.runs, folder)
        missed = report(medians, arguments.runs, arguments.megabytes)
        if tmpfs_folder is not None:
            shm_source = shutil.copyfile(source, os.path.join(tmpfs_folder, "source.zip"))
            shm_commands = commands_for(tool, shm_source, shm_source)
            shm_commands = {name: shm_commands[name] for name in ("cp", "zipbuilder rename")}
            report_flush(medians, measure(shm_commands, arguments.runs, tmpfs_folder))
    finally:
        shutil.rmtree(folder)
        if tmpfs_folder is not None:
            shutil.rmtree(tmpfs_folder)
    if missed:
        print("\nGoal NOT met: " + "; ".join(missed))
        return 1
    print("\nEvery goal met.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
