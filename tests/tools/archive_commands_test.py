"""The built tool's list and comment subcommands on archives made here and now by
Python's zipfile and Info-ZIP zip, checked against what those tools read back.

Run: python3 archive_commands_test.py PATH-TO-zipbuilder [unittest arguments]
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

from tool_test_files import info_zip_archive, python_archive

TOOL = ""

A_MINUTE_PAST_TEN = (2021, 3, 4, 10, 1, 58)


def dos_date_time(date_time):
    year, month, day, hour, minute, second = date_time
    date = (year - 1980) << 9 | month << 5 | day
    time = hour << 11 | minute << 5 | second // 2
    return date << 16 | time


def python_view(info):
    """What `list --json` must say about one entry, from zipfile's reading."""
    return {
        "name": info.filename.replace("/", "\\"),
        "size": info.file_size,
        "compressed_size": info.compress_size,
        "crc32": info.CRC,
        "method": info.compress_type,
        "dos_datetime": dos_date_time(info.date_time),
        "encrypted": bool(info.flag_bits & 1),
        "comment": info.comment.decode("utf-8"),
    }


class ArchiveTestCase(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="zipbuilder-tool-test-")
        self.addCleanup(shutil.rmtree, self.folder)

    def path(self, name):
        return os.path.join(self.folder, name)

    def run_tool(self, *arguments):
        return subprocess.run([TOOL, *arguments], capture_output=True, timeout=120)

    def list_json(self, *arguments):
        result = self.run_tool("list", "--json", *arguments)
        self.assertEqual(result.returncode, 0, result.stderr.decode(errors="replace"))
        # strict: a raw control character inside a string would fail here
        return json.loads(result.stdout.decode("utf-8"), strict=True)

    def python_archive(self, name, members, comment=b""):
        """members: (name, data, compression, entry comment); directories end in '/'."""
        return python_archive(self.path(name), members, A_MINUTE_PAST_TEN, comment)

    def info_zip_archive(self, name, *zip_options, tree):
        return info_zip_archive(self.path("source-" + name), self.path(name), tree, *zip_options)


class ListJsonTest(ArchiveTestCase):
    def test_matches_what_python_zipfile_reads(self):
        archive = self.python_archive("mixed.zip", [
            ("stored.txt", b"stored bytes", zipfile.ZIP_STORED, b""),
            ("sub/deflated.txt", b"deflate me " * 300, zipfile.ZIP_DEFLATED, b"entry comment"),
            ("sub/deeper/bzip2.bin", b"\x00" * 5000, zipfile.ZIP_BZIP2, b""),
            ("gr\u00fc\u00dfe/na\u00efve \u20ac.txt", b"utf-8 name", zipfile.ZIP_DEFLATED, b""),
            ("empty", b"", zipfile.ZIP_STORED, b""),
        ], comment=b"archive comment")
        listing = self.list_json(archive)
        with zipfile.ZipFile(archive) as reader:
            expected = [python_view(info) for info in reader.infolist()]
        self.assertEqual(list(listing), ["comment", "prefix_size", "spanned", "entries"])
        self.assertEqual(listing["comment"], "archive comment")
        self.assertEqual(listing["prefix_size"], 0)
        self.assertIs(listing["spanned"], False)
        self.assertEqual(listing["entries"], expected)
        self.assertEqual(list(listing["entries"][0]), list(expected[0]), "key order")

    def test_directory_entries_only_with_dirs(self):
        archive = self.info_zip_archive("tree.zip", tree={"docs/a.txt": b"a", "docs/deep/b.txt": b"bb", "c.txt": b""})
        with zipfile.ZipFile(archive) as reader:
            everything = [info.filename.replace("/", "\\") for info in reader.infolist()]
        files_only = [name for name in everything if not name.endswith("\\")]
        self.assertIn("docs\\deep\\", everything)

        self.assertEqual([entry["name"] for entry in self.list_json(archive)["entries"]], files_only)
        self.assertEqual([entry["name"] for entry in self.list_json("--dirs", archive)["entries"]], everything)

    def test_encrypted_entries_are_flagged(self):
        archive = self.info_zip_archive("secret.zip", "-P", "password", tree={"secret.txt": b"hidden" * 10})
        self.assertEqual(self.run_tool("list", archive).returncode, 0)
        self.assertEqual([entry["encrypted"] for entry in self.list_json(archive)["entries"]], [True])

    def test_texts_that_are_not_clean_utf8_still_give_valid_json(self):
        archive = self.python_archive("odd.zip", [("n_q.txt", b"x", zipfile.ZIP_STORED, b"tab\there")],
                                      comment=b'say "hi"\\\n\x01')
        with open(archive, "r+b") as file:  # one byte that is no UTF-8, in both copies of the name
            file.write(file.read().replace(b"n_q.txt", b"n\xffq.txt"))
        listing = self.list_json(archive)
        self.assertEqual(listing["comment"], 'say "hi"\\\n\x01')
        self.assertEqual(listing["entries"][0]["name"], "n\ufffdq.txt")
        self.assertEqual(listing["entries"][0]["comment"], "tab\there")

    def test_self_extractor_prefix_with_adjusted_offsets(self):
        plain = self.info_zip_archive("plain.zip", tree={"inside.txt": b"inside"})
        program = self.path("program.exe")
        with open(program, "wb") as out, open(plain, "rb") as archive:
            out.write(b"MZ" + b"\x90" * 998 + archive.read())
        subprocess.run(["zip", "-q", "-A", program], check=True)  # offsets made relative to the file start
        result = self.run_tool("list", "--json", program)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr, b"")
        self.assertEqual(json.loads(result.stdout)["prefix_size"], 1000)

    def test_last_part_of_a_split_archive_is_spanned(self):
        archive = self.info_zip_archive("split.zip", "-s", "64k", "-0", tree={"noise.bin": os.urandom(150_000)})
        self.assertTrue(os.path.exists(self.path("split.z01")), "zip made no parts")
        listing = self.list_json(archive)
        self.assertIs(listing["spanned"], True)
        self.assertEqual([entry["name"] for entry in listing["entries"]], ["noise.bin"])

    def test_the_largest_entry_count(self):
        count = 65535
        path = self.path("many.zip")
        with zipfile.ZipFile(path, "w") as archive:
            for index in range(count):
                archive.writestr(zipfile.ZipInfo(f"f{index}", A_MINUTE_PAST_TEN), b"")
        names = [entry["name"] for entry in self.list_json(path)["entries"]]
        self.assertEqual(len(names), count)
        self.assertEqual(names[-1], f"f{count - 1}")


class ListTableTest(ArchiveTestCase):
    def test_same_table_as_unzip_with_backslashes(self):
        archive = self.python_archive("table.zip", [
            ("a.txt", b"1", zipfile.ZIP_STORED, b""),
            ("dir/", b"", zipfile.ZIP_STORED, b""),
            ("dir/b.txt", b"x" * 20, zipfile.ZIP_DEFLATED, b""),
            ("dir/c.bin", b"y" * 300, zipfile.ZIP_STORED, b""),
        ], comment=b"first line\nsecond line")
        ours = self.run_tool("list", "--dirs", archive)
        self.assertEqual(ours.returncode, 0, ours.stderr)
        unzip = subprocess.run(["unzip", "-l", archive], capture_output=True, check=True).stdout
        name_column = 30
        expected = [line[:name_column] + line[name_column:].replace(b"/", b"\\") if line[:1] == b" " else line
                    for line in unzip.splitlines()]
        self.assertEqual(ours.stdout.splitlines(), expected)
        self.assertEqual(ours.stdout.splitlines()[-1], b"      321                     4 files")

    def test_totals_leave_out_skipped_directories(self):
        archive = self.python_archive("dirs.zip", [
            ("dir/", b"", zipfile.ZIP_STORED, b""),
            ("dir/one", b"1", zipfile.ZIP_STORED, b""),
        ])
        ours = self.run_tool("list", archive)
        self.assertEqual(ours.stdout.splitlines()[-1], b"        1                     1 file")


class ListFailureTest(ArchiveTestCase):
    def assert_fails_with(self, message_id, *arguments):
        result = self.run_tool(*arguments)
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertRegex(result.stderr.decode(), rf"^zipbuilder: .+ \({message_id}\)\n$")
        self.assertEqual(result.stdout, b"")

    def test_file_without_end_record(self):
        with open(self.path("noise.zip"), "wb") as file:
            file.write(b"this is not an archive\n" * 100)
        self.assert_fails_with(11036, "list", self.path("noise.zip"))

    def test_broken_central_header(self):
        archive = self.python_archive("broken.zip", [("a", b"a", zipfile.ZIP_STORED, b"")])
        with open(archive, "r+b") as file:
            data = file.read()
            file.seek(data.rindex(b"PK\x01\x02"))
            file.write(b"PK\x01\x09")
        self.assert_fails_with(11015, "list", "--json", archive)

    def test_garbage_at_the_end_is_a_warning(self):
        archive = self.python_archive("tail.zip", [("kept.txt", b"kept", zipfile.ZIP_STORED, b"")])
        with open(archive, "ab") as file:
            file.write(b"trailing garbage")
        result = self.run_tool("list", "--json", archive)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr.decode(), "zipbuilder: Warning - Garbage at the end of the zipfile! (10204)\n")
        self.assertEqual([entry["name"] for entry in json.loads(result.stdout)["entries"]], ["kept.txt"])

    def test_stub_in_front_without_adjusted_offsets_is_a_warning(self):
        plain = self.python_archive("plain.zip", [("inside.txt", b"inside", zipfile.ZIP_STORED, b"")])
        program = self.path("program.exe")
        with open(program, "wb") as out, open(plain, "rb") as archive:
            out.write(b"MZ" + b"\x00" * 510 + archive.read())
        result = self.run_tool("list", "--json", program)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn(b"(10203)", result.stderr)
        self.assertEqual(json.loads(result.stdout)["prefix_size"], 512)

    def test_listing_that_cannot_be_written(self):
        archive = self.python_archive("fine.zip", [("a", b"a", zipfile.ZIP_STORED, b"")])
        with open("/dev/full", "wb") as full:
            result = subprocess.run([TOOL, "list", archive], stdout=full, stderr=subprocess.PIPE, timeout=60)
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"could not be written", result.stderr)


class CommentTest(ArchiveTestCase):
    def archive_with_comment(self, comment):
        return self.python_archive("commented.zip", [
            ("a.txt", b"alpha" * 50, zipfile.ZIP_DEFLATED, b""),
            ("b.txt", b"beta", zipfile.ZIP_STORED, b"entry comment stays"),
        ], comment=comment)

    def assert_archive_intact(self, archive):
        with zipfile.ZipFile(archive) as reader:
            self.assertIsNone(reader.testzip())
            self.assertEqual(reader.read("a.txt"), b"alpha" * 50)
            self.assertEqual(reader.getinfo("b.txt").comment, b"entry comment stays")
        subprocess.run(["unzip", "-tq", archive], check=True, capture_output=True)

    def test_shows_the_comment(self):
        archive = self.archive_with_comment("line one\nline two \u00e9".encode())
        result = self.run_tool("comment", archive)
        self.assertEqual((result.returncode, result.stderr), (0, b""))
        self.assertEqual(result.stdout.decode(), "line one\nline two \u00e9\n")

    def test_set_replaces_and_unzip_reads_it_back(self):
        archive = self.archive_with_comment(b"a fairly long comment that is going to be replaced" * 3)
        new_comment = "short \u00fc"
        result = self.run_tool("comment", archive, "--set", new_comment)
        self.assertEqual((result.returncode, result.stdout, result.stderr), (0, b"", b""))
        with zipfile.ZipFile(archive) as reader:
            self.assertEqual(reader.comment, new_comment.encode())
        unzip = subprocess.run(["unzip", "-z", archive], capture_output=True, check=True).stdout
        self.assertIn(new_comment.encode(), unzip)
        self.assert_archive_intact(archive)
        self.assertEqual(self.run_tool("comment", archive).stdout.decode(), new_comment + "\n")

    def test_set_empty_removes_the_comment_and_the_bytes(self):
        archive = self.archive_with_comment(b"to be removed")
        size_before = os.path.getsize(archive)
        result = self.run_tool("comment", "--set", "", archive)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(os.path.getsize(archive), size_before - len(b"to be removed"))
        with zipfile.ZipFile(archive) as reader:
            self.assertEqual(reader.comment, b"")
        self.assert_archive_intact(archive)

    def test_set_on_an_archive_without_comment(self):
        archive = self.archive_with_comment(b"")
        self.assertEqual(self.run_tool("comment", archive, "--set", "added").returncode, 0)
        with zipfile.ZipFile(archive) as reader:
            self.assertEqual(reader.comment, b"added")
        self.assert_archive_intact(archive)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    TOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main()
