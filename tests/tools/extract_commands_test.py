"""The built tool's extract and test subcommands on archives made here and now by
Python's zipfile and Info-ZIP zip, checked byte for byte against the sources.

Run: python3 extract_commands_test.py PATH-TO-zipbuilder [unittest arguments]
"""

import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile
import zlib

from tool_test_files import files_below, info_zip_archive

TOOL = ""

TREE = {
    "readme.txt": b"plain text\n" * 300,
    "data/random.bin": random.Random(7).randbytes(70000),
    "data/deep/empty.txt": b"",
    "data/deep/small.txt": b"x",
}


class ExtractTestCase(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="zipbuilder-extract-test-")
        self.addCleanup(shutil.rmtree, self.folder)

    def path(self, *parts):
        return os.path.join(self.folder, *parts)

    def run_tool(self, *arguments):
        return subprocess.run([TOOL, *arguments], capture_output=True, stdin=subprocess.DEVNULL, timeout=120)

    def python_archive(self, name, members):
        """members: {name: (data, compression)}; directories end in '/'."""
        archive = self.path(name)
        with zipfile.ZipFile(archive, "w") as writer:
            for member, (data, compression) in members.items():
                writer.writestr(zipfile.ZipInfo(member, (2022, 5, 6, 7, 8, 10)), data, compress_type=compression)
        return archive

    def info_zip_archive(self, name, *zip_options, tree=TREE):
        return info_zip_archive(self.path("source-" + name), self.path(name), tree, *zip_options)

    def extract(self, archive, *arguments, expected_code=0):
        result = self.run_tool("extract", archive, *arguments)
        self.assertEqual(result.returncode, expected_code, result.stderr.decode(errors="replace"))
        return result


class ExtractTest(ExtractTestCase):
    def test_info_zip_deflated_and_stored_archives_extract_byte_for_byte(self):
        for option in ("-6", "-0", "-9"):
            with self.subTest(option=option):
                archive = self.info_zip_archive("tree" + option + ".zip", option)
                target = self.path("out" + option)
                self.extract(archive, "-d", target)
                self.assertEqual(files_below(target), TREE)
                self.assertTrue(os.path.isdir(os.path.join(target, "data", "deep")))

    def test_python_archive_with_directory_entries(self):
        members = {
            "empty-folder/": (b"", zipfile.ZIP_STORED),
            "stored.txt": (b"stored bytes", zipfile.ZIP_STORED),
            "folder/deflated.txt": (b"deflated " * 1000, zipfile.ZIP_DEFLATED),
        }
        target = self.path("out")
        self.extract(self.python_archive("python.zip", members), "-d", target)
        self.assertTrue(os.path.isdir(os.path.join(target, "empty-folder")))
        self.assertEqual(
            files_below(target),
            {"stored.txt": b"stored bytes", "folder/deflated.txt": b"deflated " * 1000},
        )

    def test_encrypted_archive_with_the_password(self):
        archive = self.info_zip_archive("secret.zip", "-P", "open sesame")
        target = self.path("out")
        self.extract(archive, "-d", target, "-P", "open sesame")
        self.assertEqual(files_below(target), TREE)

    def test_encrypted_archive_without_or_with_a_wrong_password_writes_nothing(self):
        archive = self.info_zip_archive("secret.zip", "-P", "open sesame")
        for arguments in ((), ("-P", "wrong")):
            with self.subTest(arguments=arguments):
                target = self.path("out" + str(len(arguments)))
                result = self.extract(archive, "-d", target, *arguments, expected_code=1)
                self.assertIn(b"password", result.stderr)
                self.assertEqual(files_below(target), {})

    def test_junk_paths_puts_every_file_in_the_base_folder(self):
        target = self.path("out")
        self.extract(self.info_zip_archive("tree.zip"), "-j", "-d", target)
        self.assertEqual(files_below(target), {name.split("/")[-1]: data for name, data in TREE.items()})

    def test_missing_base_folder_is_created(self):
        target = self.path("new-folder")
        self.extract(self.info_zip_archive("tree.zip"), "-d", target)
        self.assertEqual(files_below(target), TREE)

    def test_default_base_folder_is_the_current_one(self):
        archive = self.info_zip_archive("tree.zip")
        target = self.path("current")
        os.mkdir(target)
        result = subprocess.run([TOOL, "extract", archive], cwd=target, capture_output=True, timeout=120)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(files_below(target), TREE)


class SelectionTest(ExtractTestCase):
    def test_specifications_select_entries_by_name_and_wildcard(self):
        archive = self.info_zip_archive("tree.zip")
        cases = {
            ("readme.txt",): {"readme.txt"},
            ("*.txt",): {"readme.txt", "data/deep/empty.txt", "data/deep/small.txt"},
            ("data/deep/*", "readme.txt"): {"readme.txt", "data/deep/empty.txt", "data/deep/small.txt"},
            ("random.bin",): {"data/random.bin"},
        }
        for index, (specifications, expected) in enumerate(cases.items()):
            with self.subTest(specifications=specifications):
                target = self.path("out%d" % index)
                self.extract(archive, "-d", target, *specifications)
                self.assertEqual(files_below(target), {name: TREE[name] for name in expected})

    def test_specification_matching_nothing_fails(self):
        target = self.path("out")
        result = self.extract(self.info_zip_archive("tree.zip"), "-d", target, "nothing-like-this", expected_code=1)
        self.assertNotEqual(result.stderr, b"")
        self.assertEqual(files_below(target), {})


class ExistingFileTest(ExtractTestCase):
    def test_existing_file_is_kept_without_overwrite_and_replaced_with_it(self):
        archive = self.info_zip_archive("tree.zip")
        target = self.path("out")
        os.makedirs(target)
        with open(os.path.join(target, "readme.txt"), "wb") as file:
            file.write(b"mine")
        result = self.extract(archive, "-d", target, expected_code=1)
        self.assertIn(b"readme.txt: exists, not overwritten (use -o)", result.stderr)
        kept = dict(TREE, **{"readme.txt": b"mine"})
        self.assertEqual(files_below(target), kept)

        self.extract(archive, "-d", target, "-o")
        self.assertEqual(files_below(target), TREE)


class DamagedArchiveTest(ExtractTestCase):
    def corrupt_stored_entry(self, name):
        """A stored archive whose entry `name` has one data byte changed: a CRC error."""
        archive = self.info_zip_archive("stored.zip", "-0")
        with zipfile.ZipFile(archive) as reader:
            info = reader.getinfo(name)
        with open(archive, "r+b") as file:
            file.seek(info.header_offset + 26)
            name_length = int.from_bytes(file.read(2), "little")
            extra_length = int.from_bytes(file.read(2), "little")
            file.seek(info.header_offset + 30 + name_length + extra_length + 100)
            byte = file.read(1)
            file.seek(-1, os.SEEK_CUR)
            file.write(bytes([byte[0] ^ 0xFF]))
        return archive

    def test_crc_error_fails_and_leaves_no_partial_file(self):
        archive = self.corrupt_stored_entry("data/random.bin")
        target = self.path("out")
        result = self.extract(archive, "-d", target, expected_code=1)
        self.assertIn(b"random.bin", result.stderr)
        expected = {name: data for name, data in TREE.items() if name != "data/random.bin"}
        self.assertEqual(files_below(target), expected)

    def test_name_leaving_the_base_folder_is_refused(self):
        members = {"../evil": (b"evil", zipfile.ZIP_STORED), "good": (b"good", zipfile.ZIP_STORED)}
        archive = self.python_archive("evil.zip", members)
        target = self.path("nested", "out")
        os.makedirs(target)
        result = self.extract(archive, "-d", target, expected_code=1)
        self.assertIn(b"evil: unsafe name, would leave the folder", result.stderr)
        self.assertEqual(files_below(self.path("nested")), {"out/good": b"good"})


def raw_deflate(data):
    compressor = zlib.compressobj(6, zlib.DEFLATED, -15)
    return compressor.compress(data) + compressor.flush()


def raw_archive(path, entries):
    """entries: (name, method, stored bytes, CRC-32, declared uncompressed size), written
    as they are, so that the headers can lie about the data."""
    body = b""
    directory = b""
    for name, method, stored, crc, size in entries:
        encoded = name.encode()
        fields = struct.pack("<HHHHHIIIH", 20, 0, method, 0, 0x5421, crc, len(stored), size, len(encoded))
        directory += (struct.pack("<IH", 0x02014B50, 20) + fields + struct.pack("<HHHHII", 0, 0, 0, 0, 0, len(body))
                      + encoded)
        body += struct.pack("<I", 0x04034B50) + fields + struct.pack("<H", 0) + encoded + stored
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries), len(directory), len(body), 0)
    with open(path, "wb") as file:
        file.write(body + directory + end)
    return path


class HostileArchiveTest(ExtractTestCase):
    def test_hostile_entries_fail_and_write_nothing_outside_the_target_nor_any_partial_file(self):
        content = b"".join(b"line %d of something\n" % n for n in range(5000))
        deflated = raw_deflate(content)
        good = ("good.txt", 0, b"good", zlib.crc32(b"good"), 4)
        outside = self.path("outside.txt")
        cases = {
            "absolute name": (outside, 0, b"evil", zlib.crc32(b"evil"), 4),
            "truncated deflate data": ("cut.txt", 8, deflated[:len(deflated) // 2], zlib.crc32(content), len(content)),
            "corrupt deflate data": ("corrupt.txt", 8, b"\xff" * 64, zlib.crc32(content), len(content)),
            "inflates beyond its declared size": ("big.txt", 8, deflated, zlib.crc32(content[:1000]), 1000),
            "stored data shorter than declared": ("short.txt", 0, b"abc", zlib.crc32(b"abcdef"), 6),
        }
        for what, hostile in cases.items():
            with self.subTest(what):
                archive = raw_archive(self.path(what + ".zip"), [hostile, good])
                target = self.path("out-" + what.replace(" ", "-"))
                result = self.extract(archive, "-d", target, expected_code=1)
                self.assertIn(os.path.basename(hostile[0]).encode(), result.stderr)
                self.assertEqual(files_below(target), {"good.txt": b"good"})
                self.assertFalse(os.path.exists(outside))


class TestCommandTest(ExtractTestCase):
    def test_good_archive_tests_clean_and_writes_nothing(self):
        archive = self.info_zip_archive("tree.zip")
        result = subprocess.run([TOOL, "test", archive], cwd=self.folder, capture_output=True, timeout=120)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn(b"No errors detected", result.stdout)
        self.assertEqual(sorted(os.listdir(self.folder)), ["source-tree.zip", "tree.zip"])

    def test_encrypted_archive_tests_clean_with_the_password_only(self):
        archive = self.info_zip_archive("secret.zip", "-P", "pw")
        self.assertEqual(self.run_tool("test", archive, "-P", "pw").returncode, 0)
        self.assertEqual(self.run_tool("test", archive, "-P", "nope").returncode, 1)

    def test_corrupt_archive_fails_naming_the_entry(self):
        archive = DamagedArchiveTest.corrupt_stored_entry(self, "readme.txt")
        result = self.run_tool("test", archive)
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"readme.txt", result.stderr)
        self.assertNotIn(b"No errors detected", result.stdout)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    TOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main()
