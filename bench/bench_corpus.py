"""What the benchmarks share: the deterministic corpus (patch, mixed, many) and
the timing of one command.

The corpus: "patch" (one 150 KB patch-like binary), "mixed" (text,
pseudo-binary and incompressible files, four of them large) and "many" (small
files of 100 B to 4 KiB). The same seed gives the same bytes on every machine.
"""

import argparse
import os
import random
import subprocess
import sys
import time

CORPORA = ("patch", "mixed", "many")

TEXT_WORDS = ("archive entry folder header deflate stored central directory record "
              "the of and to in is for with that on as by this from at be file data").split()


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


def make_source_tree(folder, small):
    """Writes the three corpora as folders patch/, mixed/ and many/ below `folder`."""
    generator = random.Random(20261208)
    make_patch(folder, generator)
    make_mixed(folder, generator, (12 if small else 200) * 1024 * 1024)
    make_many(folder, generator, 2000 if small else 20000)


def seconds_of(command, cwd=None):
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, cwd=cwd)
    return time.perf_counter() - start


def peak_memory_kib(command, cwd=None):
    """The peak resident memory of `command` by /usr/bin/time, or None without it."""
    if not os.path.exists("/usr/bin/time"):
        return None
    result = subprocess.run(["/usr/bin/time", "-f", "%M", *command], stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, check=True, text=True, cwd=cwd)
    return int(result.stderr.strip().splitlines()[-1])


def parse_options(description):
    """The options every corpus benchmark takes: --tool, --runs, --small."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--tool", default=os.path.join("build", "bin", "zipbuilder"))
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--small", action="store_true", help="a corpus of about 12 MB and 2,000 small files")
    options = parser.parse_args()
    options.tool = os.path.abspath(options.tool)
    return options


def tool_parser(description, runs):
    """A parser of --tool (default: build/bin/zipbuilder of this repository) and --runs."""
    parser = argparse.ArgumentParser(description=description, formatter_class=argparse.RawDescriptionHelpFormatter)
    repository = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--tool", default=os.path.join(repository, "build", "bin", "zipbuilder"))
    parser.add_argument("--runs", type=int, default=runs)
    return parser


def built_tool(path):
    """The absolute path of the tool; exits when it is not built."""
    tool = os.path.abspath(path)
    if not os.access(tool, os.X_OK):
        sys.exit(f"{tool} is not built (cmake --preset release && cmake --build --preset release)")
    return tool
