#!/usr/bin/env python3
"""Builds the default patch archive: one deflated entry "sorlu.dll".

usage: make_patch_archive.py <library> <archive.zip>

The entry carries the stamp, host system and attributes of the patch archives this
installer ships, so that the build's archive reads like a real one. The archive is
written under a new name and moved into place, so an interrupted build leaves no
half archive behind.
"""
import os
import sys
import zipfile

ENTRY_NAME = "sorlu.dll"
ENTRY_STAMP = (2003, 3, 30, 11, 47, 12)
MS_DOS_HOST = 0
VERSION_2_0 = 20
# Unix mode bits in the high word as other zip tools read them, the MS-DOS
# archive attribute in the low byte.
EXTERNAL_ATTRIBUTES = 0x81B60020


def main(library, archive):
    with open(library, "rb") as source:
        content = source.read()
    entry = zipfile.ZipInfo(ENTRY_NAME, date_time=ENTRY_STAMP)
    entry.compress_type = zipfile.ZIP_DEFLATED
    entry.create_system = MS_DOS_HOST
    entry.create_version = VERSION_2_0
    entry.extract_version = VERSION_2_0
    entry.external_attr = EXTERNAL_ATTRIBUTES
    partial = archive + ".partial"
    with zipfile.ZipFile(partial, "w") as output:
        output.writestr(entry, content, compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
    os.replace(partial, archive)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
