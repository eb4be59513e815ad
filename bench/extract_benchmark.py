#!/usr/bin/env python3
"""Extracting archives: `zipbuilder extract` against unzip -q, 7z x, bsdtar -xf
and Python's zipfile, measured in the same run.

Makes a deterministic corpus once in a fresh temporary folder: "patch" (one
150 KB patch-like binary), "mixed" (about 200 MB of text, pseudo-binary and
incompressible files) and "many" (20,000 files of 100 B to 4 KiB), zips each
with Info-ZIP `zip -6`, checks that our extraction gives back every byte, then
times N rounds in which every tool extracts each archive once into a FRESH
folder (deleting and re-creating the same folder makes the next creation of
many files slow on ext4, which would punish whichever tool runs second). The
folders are removed only when a corpus is done. Prints the median of each, the
ratio peer / ours (above 1: the peer is slower) and our peak memory.

Usage: bench/extract_benchmark.py [--tool build/bin/zipbuilder] [--runs 3] [--small]
"""

import filecmp
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

from bench_corpus import CORPORA, make_source_tree, parse_options, peak_memory_kib, seconds_of

PYTHON_EXTRACTION = "import zipfile,sys; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])"


def make_corpus(folder, small):
    make_source_tree(folder, small)
    archives = {}
    for name in CORPORA:
        archives[name] = os.path.join(folder, name + ".zip")
        subprocess.run(["zip", "-q", "-r", "-6", archives[name], name], cwd=folder, check=True)
    return archives


def commands_for(tool, archive):
    """Each maker takes the fresh output folder."""
    return {
        "zipbuilder": lambda out: [tool, "extract", archive, "-d", out],
        "unzip -q": lambda out: ["unzip", "-q", archive, "-d", out],
        "7z x": lambda out: ["7z", "x", "-y", "-bd", archive, "-o" + out],
        "bsdtar -xf": lambda out: ["bsdtar", "-xf", archive, "-C", out],
        "python zipfile": lambda out: [sys.executable, "-c", PYTHON_EXTRACTION, archive, out],
    }


def check_ours(tool, archive, source, scratch):
    out = tempfile.mkdtemp(dir=scratch)
    subprocess.run([tool, "extract", archive, "-d", out], stdout=subprocess.DEVNULL, check=True)
    name = os.path.splitext(os.path.basename(archive))[0]
    pending = [filecmp.dircmp(os.path.join(source, name), os.path.join(out, name))]
    while pending:
        comparison = pending.pop()
        # dircmp compares by size and time first, and the times differ: contents decide.
        _, mismatch, errors = filecmp.cmpfiles(comparison.left, comparison.right, comparison.common_files,
                                               shallow=False)
        if comparison.left_only or comparison.right_only or mismatch or errors:
            sys.exit(f"zipbuilder's extraction differs from the source in {comparison.left}: nothing to measure")
        pending.extend(comparison.subdirs.values())


def extraction_memory_kib(tool, archive, scratch):
    return peak_memory_kib([tool, "extract", archive, "-d", tempfile.mkdtemp(dir=scratch)])


def measure(commands, runs, scratch):
    """Interleaves the tools so that a slow moment of the machine hits all alike."""
    times = {name: [] for name in commands}
    for _ in range(runs):
        for name, make_command in commands.items():
            out = tempfile.mkdtemp(dir=scratch)
            # What the tool before left for the disk to write back would slow this one
            # down: every tool starts with a clean page cache.
            os.sync()
            times[name].append(seconds_of(make_command(out)))
    return {name: statistics.median(samples) for name, samples in times.items()}


def report(corpus, medians, memory):
    ours = medians["zipbuilder"]
    print(f"\n{corpus}: median seconds, ratio peer / ours (above 1: the peer is slower)")
    for name, seconds in medians.items():
        ratio = "" if name == "zipbuilder" else f"{seconds / ours:6.2f}"
        print(f"  {name:15} {seconds:8.3f}  {ratio}")
    if memory is not None:
        print(f"  zipbuilder peak memory: {memory / 1024:.1f} MiB")


def main():
    options = parse_options(__doc__.splitlines()[0])
    tool = options.tool
    folder = tempfile.mkdtemp(prefix="zipbuilder-extract-bench-")
    try:
        archives = make_corpus(folder, options.small)
        for corpus, archive in archives.items():
            scratch = tempfile.mkdtemp(prefix="out-", dir=folder)
            check_ours(tool, archive, folder, scratch)
            memory = extraction_memory_kib(tool, archive, scratch)
            report(corpus, measure(commands_for(tool, archive), options.runs, scratch), memory)
            shutil.rmtree(scratch)
    finally:
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
