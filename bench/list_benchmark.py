#!/usr/bin/env python3
"""Listing an archive of 65,535 entries: `zipbuilder list` against unzip -Z1,
7z l and Python's zipfile, measured in the same run.

Makes the archive once (Python's zipfile, tiny stored files, in a fresh
temporary folder), checks that our listing holds every entry, runs each command
once to warm the page cache, then times N rounds in which every command runs
once, and prints the median of each with the ratio peer / ours (above 1: the
peer is slower). The goal is a ratio of at least 2 against the fastest peer.

Usage: bench/list_benchmark.py [--tool build/bin/zipbuilder] [--runs 15] [--entries 65535]
"""

import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import zipfile

from bench_corpus import built_tool, tool_parser

GOAL_RATIO = 2.0
PYTHON_LISTING = "import zipfile,sys; [i.filename for i in zipfile.ZipFile(sys.argv[1]).infolist()]"


def make_archive(folder, entry_count):
    path = os.path.join(folder, "many.zip")
    with zipfile.ZipFile(path, "w", zipfile.ZIP_STORED) as archive:
        for index in range(entry_count):
            archive.writestr(f"folder-{index // 1000:02}/file-{index:05}.txt", f"{index}\n")
    return path


def check_our_listing(tool, archive, entry_count):
    result = subprocess.run([tool, "list", "--json", archive], capture_output=True, check=True)
    listed = len(json.loads(result.stdout)["entries"])
    if listed != entry_count:
        sys.exit(f"zipbuilder listed {listed} of {entry_count} entries: nothing to measure")


def seconds_of(command):
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


def measure(commands, runs):
    """Interleaves the commands so that a slow moment of the machine hits all alike."""
    for command in commands.values():
        seconds_of(command)
    times = {name: [] for name in commands}
    for _ in range(runs):
        for name, command in commands.items():
            times[name].append(seconds_of(command))
    return {name: statistics.median(samples) for name, samples in times.items()}


def main():
    parser = tool_parser(__doc__, runs=15)
    parser.add_argument("--entries", type=int, default=65535)
    arguments = parser.parse_args()
    tool = built_tool(arguments.tool)

    folder = tempfile.mkdtemp(prefix="zipbuilder-list-bench-")
    try:
        archive = make_archive(folder, arguments.entries)
        check_our_listing(tool, archive, arguments.entries)
        ours = {"zipbuilder list": [tool, "list", archive]}
        extra = {"zipbuilder list --json": [tool, "list", "--json", archive]}
        peers = {
            "unzip -Z1": ["unzip", "-Z1", archive],
            "7z l": ["7z", "l", archive],
            "python3 zipfile": [sys.executable, "-c", PYTHON_LISTING, archive],
        }
        missing = [name for name, command in peers.items() if shutil.which(command[0]) is None]
        for name in missing:
            print(f"skipped, not installed: {name}")
            del peers[name]
        medians = measure({**ours, **extra, **peers}, arguments.runs)
    finally:
        shutil.rmtree(folder)

    our_time = medians["zipbuilder list"]
    print(f"\nListing {arguments.entries} entries, median of {arguments.runs} warm runs:")
    print(f"  {'command':<24} {'ms':>8}  {'peer / ours':>11}")
    for name, seconds in medians.items():
        ratio = f"{seconds / our_time:10.2f}x" if name in peers else ""
        print(f"  {name:<24} {seconds * 1000:8.1f}  {ratio:>11}")
    if not peers:
        return 0
    fastest = min(peers, key=medians.get)
    ratio = medians[fastest] / our_time
    verdict = "met" if ratio >= GOAL_RATIO else "NOT met"
    print(f"\nFastest peer: {fastest}, {ratio:.2f}x our time; goal {GOAL_RATIO:.0f}x {verdict}.")
    return 0 if ratio >= GOAL_RATIO else 1


if __name__ == "__main__":
    sys.exit(main())
