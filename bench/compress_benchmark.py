#!/usr/bin/env python3
"""Making archives: `zipbuilder add -r` at levels 1, 6 and 9 against Info-ZIP
zip (-1, -6, -9), 7-Zip (`7z a -tzip`, -mx=5 and -mx=9), `bsdtar --format zip`
and Python's zipfile, measured in the same run.

Makes the deterministic corpus of the extraction benchmark once in a fresh
temporary folder (bench_corpus.py), checks that our archive of each corpus
passes `unzip -t` and holds every file, then times N rounds in which every
tool archives each corpus once into a fresh folder. Prints for each the median
seconds, the archive size, and the ratios against ours at the matching level
(Info-ZIP -N against ours -N, the others against ours -6): time peer / ours
(above 1: the peer is slower) and size ours / peer (below 1: ours is smaller).
Then our peak memory, and whether ours meets the goal at levels 6 and 9: at
least twice as fast as Info-ZIP zip with an archive no larger.

Usage: bench/compress_benchmark.py [--tool build/bin/zipbuilder] [--runs 3] [--small]
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import zipfile

from bench_corpus import CORPORA, make_source_tree, parse_options, peak_memory_kib, seconds_of

# Walks the corpus folder as zip -r does and deflates every file at zlib's default level.
PYTHON_ARCHIVING = """
import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as archive:
    for root, folders, names in os.walk(sys.argv[2]):
        folders.sort()
        archive.write(root)
        for name in sorted(names):
            archive.write(os.path.join(root, name))
"""

LEVELS = (1, 6, 9)


def commands_for(tool, corpus):
    """Each maker takes the archive path to write; every command runs in the corpus's parent folder."""
    commands = {}
    for level in LEVELS:
        commands[f"zipbuilder -{level}"] = lambda out, level=level: [tool, "add", out, "-r", f"-{level}", corpus]
    for level in LEVELS:
        commands[f"zip -{level}"] = lambda out, level=level: ["zip", "-q", "-r", f"-{level}", out, corpus]
    for level in (5, 9):
        commands[f"7z -mx={level}"] = lambda out, level=level: ["7z", "a", "-tzip", f"-mx={level}", "-bd", out,
                                                                  corpus]
    commands["bsdtar"] = lambda out: ["bsdtar", "--format", "zip", "-cf", out, corpus]
    commands["python zipfile"] = lambda out: [sys.executable, "-c", PYTHON_ARCHIVING, out, corpus]
    return commands


def reference_of(name):
    """Which of our rows a peer is compared with."""
    if name.startswith("zip -"):
        return "zipbuilder " + name[len("zip "):]
    return "zipbuilder -6"


def count_files(folder):
    return sum(len(names) for _, _, names in os.walk(folder))


def check_ours(tool, corpus, folder, scratch):
    archive = os.path.join(tempfile.mkdtemp(dir=scratch), "check.zip")
    subprocess.run([tool, "add", archive, "-r", "-6", corpus], cwd=folder, stdout=subprocess.DEVNULL, check=True)
    subprocess.run(["unzip", "-tq", archive], stdout=subprocess.DEVNULL, check=True)
    with zipfile.ZipFile(archive) as reader:
        files = [name for name in reader.namelist() if not name.endswith("/")]
    if len(files) != count_files(os.path.join(folder, corpus)):
        sys.exit(f"zipbuilder's archive of {corpus} lacks files: nothing to measure")


def measure(commands, runs, folder, scratch):
    """Interleaves the tools so that a slow moment of the machine hits all alike."""
    times = {name: [] for name in commands}
    sizes = {}
    for _ in range(runs):
        for name, make_command in commands.items():
            archive = os.path.join(tempfile.mkdtemp(dir=scratch), "out.zip")
            # Every tool starts with nothing of the tool before left to write back.
            os.sync()
            times[name].append(seconds_of(make_command(archive), cwd=folder))
            sizes[name] = os.path.getsize(archive)
            os.remove(archive)
    return {name: statistics.median(samples) for name, samples in times.items()}, sizes


def report(corpus, medians, sizes, memory):
    print(f"\n{corpus}: median seconds, archive bytes; time peer / ours (above 1: the peer is slower), "
          "size ours / peer (below 1: ours is smaller), ours at the matching level")
    for name, seconds in medians.items():
        reference = reference_of(name)
        ratios = ""
        if not name.startswith("zipbuilder"):
            ratios = f"{seconds / medians[reference]:7.2f} {sizes[reference] / sizes[name]:7.3f}  ({reference})"
        print(f"  {name:16} {seconds:8.3f} {sizes[name]:12}  {ratios}")
    if memory is not None:
        print(f"  zipbuilder -9 peak memory: {memory / 1024:.1f} MiB")
    goals = []
    for level in (6, 9):
        ours, peer = medians[f"zipbuilder -{level}"], medians[f"zip -{level}"]
        met = peer / ours >= 2 and sizes[f"zipbuilder -{level}"] <= sizes[f"zip -{level}"]
        goals.append(f"-{level}: {peer / ours:.2f}x as fast as zip, "
                     f"{sizes[f'zipbuilder -{level}'] / sizes[f'zip -{level}']:.3f} of its size "
                     f"({'met' if met else 'NOT met'})")
    print("  goal (twice as fast as zip, no larger): " + "; ".join(goals))


def main():
    options = parse_options(__doc__.splitlines()[0])
    tool = options.tool
    folder = tempfile.mkdtemp(prefix="zipbuilder-compress-bench-")
    try:
        make_source_tree(folder, options.small)
        for corpus in CORPORA:
            scratch = tempfile.mkdtemp(prefix="out-", dir=folder)
            check_ours(tool, corpus, folder, scratch)
            memory = peak_memory_kib([tool, "add", os.path.join(tempfile.mkdtemp(dir=scratch), "memory.zip"),
                                      "-r", "-9", corpus], cwd=folder)
            medians, sizes = measure(commands_for(tool, corpus), options.runs, folder, scratch)
            report(corpus, medians, sizes, memory)
            shutil.rmtree(scratch)
    finally:
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
