#!/usr/bin/env python3
"""Makes the archives the unzip engine tests read, with the zip tools of the host.

Usage: make_fixtures.py OUTPUT_FOLDER

OUTPUT_FOLDER/tree holds the files; each archive in OUTPUT_FOLDER holds that tree
(archives whose names start with "utf8-" hold OUTPUT_FOLDER/utf8-tree instead).
A tool that is missing is reported and its archives are left out; the tests that
need them are skipped then. Runs at build time for both builds, so the Windows
tests under Wine read archives made by the real tools too.
"""
import os
import random
import shutil
import struct
import subprocess
import sys
import zipfile

PASSWORD = "secret"
# The wrong password the tests offer before the right one. The traditional cipher
# checks a password against one byte only, so 1 wrong password in 256 passes that
# check for a given entry; the encrypted archive is made again until this one is
# refused by every entry, or a test that expects a second request would fail by chance.
WRONG_PASSWORD = "not it"


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as file:
        file.write(data)


def make_tree(root):
    generator = random.Random(1234)
    write(os.path.join(root, "readme.txt"), b"Read me first.\r\n" * 20)
    write(os.path.join(root, "empty.txt"), b"")
    write(os.path.join(root, "docs", "guide.txt"), b"".join(b"Line %d of the guide.\n" % n for n in range(3000)))
    write(os.path.join(root, "docs", "deep", "notes.md"), b"# Notes\n\nNothing yet.\n")
    write(os.path.join(root, "bin", "noise.bin"), bytes(generator.getrandbits(8) for _ in range(200000)))


def make_utf8_tree(root):
    write(os.path.join(root, "caf\u00e9", "na\u00efve.txt"), "d\u00e9j\u00e0 vu\n".encode("utf-8"))
    write(os.path.join(root, "plain.txt"), b"plain\n")


def run(command, cwd):
    tool = command[0]
    if shutil.which(tool) is None:
        print(f"make_fixtures: {tool} is not installed; its archives are left out", file=sys.stderr)
        return
    subprocess.run(command, cwd=cwd, check=True, stdout=subprocess.DEVNULL)


def zip_with_comments(archive, root):
    run(["zip", "-q", "-r", archive, "."], root)
    if os.path.exists(archive):
        subprocess.run(["zip", "-q", "-z", archive], cwd=root, check=True, input=b"an archive comment\n")
        subprocess.run(["zip", "-q", "-c", archive, "readme.txt"], cwd=root, check=True, input=b"a file comment\n")


def zip_through_a_pipe(archive, root):
    """zip cannot seek back in a pipe, so every entry gets a data descriptor."""
    if shutil.which("zip") is None:
        return
    with open(archive, "wb") as output:
        producer = subprocess.Popen(["zip", "-q", "-r", "-", "."], cwd=root, stdout=subprocess.PIPE)
        shutil.copyfileobj(producer.stdout, output)
        if producer.wait() != 0:
            raise subprocess.CalledProcessError(producer.returncode, "zip -")


def self_extractor(archive, plain, adjust):
    """A program stub in front of an archive, its offsets adjusted by zip -A or not."""
    if not os.path.exists(plain):
        return
    with open(archive, "wb") as output, open(plain, "rb") as source:
        output.write(b"MZ" + bytes(random.Random(5).getrandbits(8) for _ in range(6142)) + source.read())
    if adjust:
        run(["zip", "-q", "-A", archive], os.path.dirname(archive))


def python_zip(archive, root, compression):
    with zipfile.ZipFile(archive, "w", compression) as output:
        for folder, _, files in sorted(os.walk(root)):
            for name in sorted(files):
                path = os.path.join(folder, name)
                output.write(path, os.path.relpath(path, root))


def crc32_step(crc, byte):
    crc ^= byte
    for _ in range(8):
        crc = (crc >> 1) ^ (0xEDB88320 if crc & 1 else 0)
    return crc


def check_byte_after_header(password, header):
    """The last byte of the 12-byte encryption header decrypted with `password`."""
    keys = [0x12345678, 0x23456789, 0x34567890]

    def update(byte):
        keys[0] = crc32_step(keys[0], byte)
        keys[1] = ((keys[1] + (keys[0] & 0xFF)) * 134775813 + 1) & 0xFFFFFFFF
        keys[2] = crc32_step(keys[2], keys[1] >> 24)

    for byte in password.encode():
        update(byte)
    plain = 0
    for byte in header:
        temporary = (keys[2] | 2) & 0xFFFF
        plain = byte ^ (((temporary * (temporary ^ 1)) >> 8) & 0xFF)
        update(plain)
    return plain


def passes_check_byte(archive, password):
    """True when `password` passes the check byte of any encrypted entry of `archive`."""
    with open(archive, "rb") as file:
        data = file.read()
    with zipfile.ZipFile(archive) as listing:
        for info in listing.infolist():
            if not info.flag_bits & 1:
                continue
            offset = info.header_offset
            name_length, extra_length = struct.unpack("<HH", data[offset + 26:offset + 30])
            start = offset + 30 + name_length + extra_length
            expected = (struct.unpack("<H", data[offset + 10:offset + 12])[0] >> 8) if info.flag_bits & 8 else info.CRC >> 24
            if check_byte_after_header(password, data[start:start + 12]) == expected:
                return True
    return False


def make_encrypted_archive(archive, tree):
    for _ in range(20):
        if os.path.exists(archive):
            os.remove(archive)
        run(["zip", "-q", "-r", "-P", PASSWORD, archive, "."], tree)
        if not os.path.exists(archive) or not passes_check_byte(archive, WRONG_PASSWORD):
            return
    sys.exit("could not make an encrypted archive that refuses " + WRONG_PASSWORD)


def main():
    output = os.path.abspath(sys.argv[1])
    shutil.rmtree(output, ignore_errors=True)
    tree = os.path.join(output, "tree")
    utf8_tree = os.path.join(output, "utf8-tree")
    make_tree(tree)
    make_utf8_tree(utf8_tree)

    run(["zip", "-q", "-r", "-0", os.path.join(output, "infozip-stored.zip"), "."], tree)
    run(["zip", "-q", "-r", "-9", os.path.join(output, "infozip-deflated.zip"), "."], tree)
    make_encrypted_archive(os.path.join(output, "infozip-encrypted.zip"), tree)
    zip_with_comments(os.path.join(output, "infozip-comments.zip"), tree)
    zip_through_a_pipe(os.path.join(output, "infozip-piped.zip"), tree)
    self_extractor(os.path.join(output, "sfx-prefixed.zip"), os.path.join(output, "infozip-deflated.zip"), False)
    self_extractor(os.path.join(output, "sfx-adjusted.zip"), os.path.join(output, "infozip-deflated.zip"), True)
    run(["7z", "a", "-tzip", "-bd", os.path.join(output, "7z.zip"), "."], tree)
    run(["bsdtar", "--format", "zip", "-cf", os.path.join(output, "bsdtar.zip"), "."], tree)
    python_zip(os.path.join(output, "python-stored.zip"), tree, zipfile.ZIP_STORED)
    python_zip(os.path.join(output, "python-deflated.zip"), tree, zipfile.ZIP_DEFLATED)
    python_zip(os.path.join(output, "utf8-python.zip"), utf8_tree, zipfile.ZIP_DEFLATED)
    # bsdtar writes streamed entries with data descriptors when reading a pipe-like source.
    run(["bsdtar", "--format", "zip", "-cf", os.path.join(output, "utf8-bsdtar.zip"), "."], utf8_tree)


if __name__ == "__main__":
    main()
