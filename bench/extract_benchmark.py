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

import argparse
import filecmp
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

TEXT_WORDS = ("archive entry folder header deflate stored central directory record "
              "the of and to in is for with that on as by this from at be file data").split()
PYTHON_EXTRACTION = "import zipfile,sys; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])"


def text_bytes(generator, size):
    words = []
    length = 0
    while length < size:
        word = generator.choice(TEXT_WORDS)
        words.append(word)
        length += len(word) + 1
        if generator.random() < 0.08:
            words.append("\n")
    return " ".join(words).encode()[:size]


def pseudo_binary_bytes(generator, size):
    """Code-like: short opcodes with repeated operands, compressible about 2:1."""
    opcodes = [generator.randbytes(generator.randint(1, 6)) for _ in range(400)]
    parts = []
    length = 0
    while length < size:
        part = generator.choice(opcodes) if generator.random() < 0.8 else generator.randbytes(4)
        parts.append(part)
        length += len(part)
    return b"".join(parts)[:size]


def write_file(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as file:
        file.write(data)


def make_patch(folder, generator):
    write_file(os.path.join(folder, "patch", "update.dll"), pseudo_binary_bytes(generator, 150 * 1024))


def make_mixed(folder, generator, total_size):
    kinds = (text_bytes, pseudo_binary_bytes, lambda g, size: g.randbytes(size))
    written = 0
    index = 0
    big_sizes = [total_size // 8, total_size // 10, total_size // 16]
    while written < total_size:
        size = big_sizes.pop() if big_sizes else generator.randint(1024, total_size // 300)
        kind = kinds[index % 3] if index % 5 else kinds[2]
        path = os.path.join(folder, "mixed", f"part-{index % 17:02}", f"file-{index:05}.dat")
        write_file(path, kind(generator, size))
        written += size
        index += 1


def make_many(folder, generator, count):
    for index in range(count):
        size = generator.randint(100, 4096)
        data = text_bytes(generator, size) if index % 2 else pseudo_binary_bytes(generator, size)
        write_file(os.path.join(folder, "many", f"folder-{index // 500:03}", f"small-{index:05}.txt"), data)


def make_corpus(folder, small):
    generator = random.Random(20261208)
    make_patch(folder, generator)
    make_mixed(folder, generator, (12 if small else 200) * 1024 * 1024)
    make_many(folder, generator, 2000 if small else 20000)
    archives = {}
    for name in ("patch", "mixed", "many"):
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


def seconds_of(command):
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


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


def peak_memory_kib(tool, archive, scratch):
    if not os.path.exists("/usr/bin/time"):
        return None
    out = tempfile.mkdtemp(dir=scratch)
    result = subprocess.run(["/usr/bin/time", "-f", "%M", tool, "extract", archive, "-d", out],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=True, text=True)
    return int(result.stderr.strip().splitlines()[-1])


def measure(commands, runs, scratch):
    """Interleaves the tools so that a slow moment of the machine hits all alike."""
    times = {name: [] for name in commands}
    for _ in range(runs):
        for name, make_command in commands.items():
            times[name].append(seconds_of(make_command(tempfile.mkdtemp(dir=scratch))))
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
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tool", default=os.path.join("build", "bin", "zipbuilder"))
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--small", action="store_true", help="a corpus of about 12 MB and 2,000 small files")
    options = parser.parse_args()
    tool = os.path.abspath(options.tool)
    folder = tempfile.mkdtemp(prefix="zipbuilder-extract-bench-")
    try:
        archives = make_corpus(folder, options.small)
        for corpus, archive in archives.items():
            scratch = tempfile.mkdtemp(prefix="out-", dir=folder)
            check_ours(tool, archive, folder, scratch)
            memory = peak_memory_kib(tool, archive, scratch)
            report(corpus, measure(commands_for(tool, archive), options.runs, scratch), memory)
            shutil.rmtree(scratch)
    finally:
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
