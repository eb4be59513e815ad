#!/usr/bin/env bash
# Makes the seed corpus of the directory reader's fuzzer: small real archives from
# Info-ZIP zip, 7-Zip, bsdtar and Python's zipfile, in the shapes the reader has
# to tell apart (stored, deflated, comments, directory entries, UTF-8 names,
# encrypted, ZIP64 extras, data descriptors, a self-extractor prefix with and
# without adjusted offsets, split parts, trailing garbage and block padding).
# Only those native tools make seeds, never our own code.
#
# Usage: make_seed_corpus.sh OUTPUT-FOLDER   (created; existing seeds are replaced)
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 OUTPUT-FOLDER" >&2
  exit 2
fi
output=$(mkdir -p "$1" && cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The files to archive: text, a compressible log, a few random bytes, an empty
# file and an empty folder, some of them in subfolders.
mkdir -p tree/docs/deep tree/empty-folder
printf 'hello, archive\n' >tree/hello.txt
for line in $(seq 1 40); do echo "log line $line: all is well"; done >tree/docs/log.txt
head -c 300 /dev/urandom >tree/docs/deep/noise.bin
: >tree/docs/empty.txt

seed() {  # seed NAME FILE: keep FILE in the corpus as NAME
  cp "$2" "$output/$1"
}

# Info-ZIP zip
(cd tree && zip -q -0 -r ../stored.zip .) && seed info-zip-stored.zip stored.zip
(cd tree && zip -q -9 -r ../deflated.zip .) && seed info-zip-deflated-with-folders.zip deflated.zip
(cd tree && zip -q -D -r ../no-folders.zip .) && seed info-zip-no-folder-entries.zip no-folders.zip
(cd tree && printf 'archive comment\nsecond line\n' | zip -q -z -r ../commented.zip .) &&
  seed info-zip-archive-comment.zip commented.zip
(cd tree && zip -q -P secret -r ../encrypted.zip hello.txt docs/log.txt) && seed info-zip-encrypted.zip encrypted.zip

# A self-extractor: a stub in front, offsets left relative to the archive, then adjusted.
{ printf 'MZ'; head -c 1022 /dev/zero; cat deflated.zip; } >sfx-unadjusted.exe
seed sfx-unadjusted-offsets.exe sfx-unadjusted.exe
cp sfx-unadjusted.exe sfx-adjusted.exe && zip -q -A sfx-adjusted.exe && seed sfx-adjusted-offsets.exe sfx-adjusted.exe

# A split set: the last part holds the directory, the first starts with the span mark.
head -c 70000 /dev/urandom >big.bin
zip -q -0 -s 64k split.zip big.bin
seed split-last-part.zip split.zip
head -c 2048 split.z01 >split-first-part-start.z01 && seed split-first-part-start.z01 split-first-part-start.z01

# Garbage after the end record, and zero padding to a 512-byte block.
{ cat stored.zip; printf 'trailing garbage'; } >garbage.zip && seed trailing-garbage.zip garbage.zip
cp stored.zip padded.zip
size=$(stat -c %s padded.zip)
head -c $(((512 - size % 512) % 512)) /dev/zero >>padded.zip && seed zero-padded-to-block.zip padded.zip

# 7-Zip
(cd tree && 7z a -tzip -mx=5 ../seven.zip . >/dev/null) && seed 7z-deflated.zip seven.zip
(cd tree && 7z a -tzip -mx=0 ../seven-stored.zip hello.txt docs >/dev/null) && seed 7z-stored.zip seven-stored.zip

# bsdtar (streams its entries: data descriptors after the data)
(cd tree && bsdtar --format zip -cf ../bsdtar.zip .) && seed bsdtar.zip bsdtar.zip

# Python's zipfile: every method it writes, UTF-8 names, entry comments, ZIP64
# extras, an empty archive and one that is only a comment.
python3 - "$output" <<'PYTHON'
import sys
import zipfile

output = sys.argv[1]
when = (2020, 2, 29, 23, 59, 58)


def entry(name, comment=b""):
    info = zipfile.ZipInfo(name, when)
    info.comment = comment
    return info


with zipfile.ZipFile(f"{output}/python-methods-and-comments.zip", "w") as archive:
    for method in (zipfile.ZIP_STORED, zipfile.ZIP_DEFLATED, zipfile.ZIP_BZIP2, zipfile.ZIP_LZMA):
        info = entry(f"method-{method}.txt", f"entry compressed with method {method}".encode())
        info.compress_type = method
        archive.writestr(info, b"the same words again and again " * 8)
    archive.comment = b"an archive comment from Python"

with zipfile.ZipFile(f"{output}/python-utf8-names-and-folders.zip", "w") as archive:
    archive.writestr(entry("Verzeichnis/"), b"")
    archive.writestr(entry("Verzeichnis/gr\u00fc\u00dfe.txt"), b"hallo")
    archive.writestr(entry("\u65e5\u672c\u8a9e/\u30d5\u30a1\u30a4\u30eb.txt"), b"nihongo")
    archive.writestr(entry("a/b/c/d/e/f/g/deep.txt"), b"deep")

with zipfile.ZipFile(f"{output}/python-zip64-extras.zip", "w") as archive:
    with archive.open(entry("forced-zip64.bin"), "w", force_zip64=True) as member:
        member.write(b"\x00\x01\x02\x03" * 64)

with zipfile.ZipFile(f"{output}/python-empty.zip", "w"):
    pass

with zipfile.ZipFile(f"{output}/python-only-a-comment.zip", "w") as archive:
    archive.comment = b"nothing in here but this comment"
PYTHON

echo "seed corpus: $(find "$output" -type f | wc -l) archives in $output"
