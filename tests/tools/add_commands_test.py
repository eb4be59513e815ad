"""The built tool's add and delete subcommands: every archive they write, with
each option, is checked by Info-ZIP unzip, 7-Zip and Python's zipfile (test and
extraction, byte for byte against the sources). Archives are made here and now.

Run: python3 add_commands_test.py PATH-TO-zipbuilder [unittest arguments]
"""

import os
import random
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

from tool_test_files import files_below, write_tree

TOOL = ""

TREE = {
    "readme.txt": b"plain text\n" * 300,
    "data/random.bin": random.Random(7).randbytes(70000),
    "data/text.txt": b"".join(b"line %d of a text file\n" % index for index in range(4000)),
    "data/deep/empty.txt": b"",
    "data/deep/small.txt": b"x",
    "data/deep/old.bak": b"left out by -x",
}


def data_below(prefix, tree=TREE):
    return {name: data for name, data in tree.items() if name.startswith(prefix)}


class AddTestCase(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="zipbuilder-add-test-")
        self.addCleanup(shutil.rmtree, self.folder)
        self.source = self.path("source")
        write_tree(self.source, TREE)

    def path(self, *parts):
        return os.path.join(self.folder, *parts)

    def run_tool(self, *arguments, cwd=None, expected_code=0, stdin=None):
        result = subprocess.run([TOOL, *arguments], capture_output=True, input=stdin,
                                stdin=None if stdin is not None else subprocess.DEVNULL,
                                cwd=cwd or self.source, timeout=120)
        self.assertEqual(result.returncode, expected_code, result.stderr.decode(errors="replace"))
        return result

    def add(self, archive_name, *arguments, cwd=None):
        archive = self.path(archive_name)
        self.run_tool("add", archive, *arguments, cwd=cwd)
        return archive

    def assert_peers_read(self, archive, expected, password=None):
        """unzip, 7z and zipfile test the archive and extract exactly `expected`."""
        unzip_password = ["-P", password] if password else []
        seven_password = ["-p" + password] if password else ["-p"]
        subprocess.run(["unzip", "-tq", *unzip_password, archive], check=True, capture_output=True)
        subprocess.run(["7z", "t", *seven_password, archive], check=True, capture_output=True)
        with zipfile.ZipFile(archive) as reader:
            if password:
                reader.setpassword(password.encode())
            self.assertIsNone(reader.testzip())
            self.assertEqual({name for name in reader.namelist() if not name.endswith("/")}, set(expected))
            target = self.path(os.path.basename(archive) + "-zipfile")
            reader.extractall(target)
            self.assertEqual(files_below(target), expected)
        target = self.path(os.path.basename(archive) + "-unzip")
        subprocess.run(["unzip", "-q", *unzip_password, archive, "-d", target], check=True, capture_output=True)
        self.assertEqual(files_below(target), expected)
        target = self.path(os.path.basename(archive) + "-7z")
        subprocess.run(["7z", "x", *seven_password, "-o" + target, archive], check=True, capture_output=True)
        self.assertEqual(files_below(target), expected)


class AddTest(AddTestCase):
    def test_named_files_keep_their_relative_names(self):
        archive = self.add("plain.zip", "readme.txt", "data/random.bin")
        self.assert_peers_read(archive, {"readme.txt": TREE["readme.txt"],
                                         "data/random.bin": TREE["data/random.bin"]})

    def test_recursion_adds_the_folder_and_everything_below_it_as_zip_r_does(self):
        archive = self.add("recursive.zip", "-r", "data")
        self.assert_peers_read(archive, data_below("data/"))
        with zipfile.ZipFile(archive) as reader:
            names = reader.namelist()
        ours = sorted(names)
        subprocess.run(["zip", "-q", "-r", self.path("infozip.zip"), "data"], cwd=self.source, check=True)
        with zipfile.ZipFile(self.path("infozip.zip")) as reader:
            self.assertEqual(ours, sorted(reader.namelist()))

    def test_every_level_and_encryption(self):
        for options in (["-0"], ["-1"], ["-9"], ["-P", "secret"]):
            with self.subTest(options=options):
                archive = self.add("level%s.zip" % "".join(options), *options, "-r", "data")
                password = options[1] if options[0] == "-P" else None
                self.assert_peers_read(archive, data_below("data/"), password=password)
                if password:
                    with zipfile.ZipFile(archive) as reader:
                        self.assertTrue(all(info.flag_bits & 1 for info in reader.infolist() if not info.is_dir()))

    def test_stored_level_stores(self):
        archive = self.add("stored.zip", "-0", "-r", "data")
        with zipfile.ZipFile(archive) as reader:
            self.assertTrue(all(info.compress_type == zipfile.ZIP_STORED for info in reader.infolist()))

    def test_junked_folder_names(self):
        archive = self.add("junked.zip", "-j", "-r", "data/deep")
        self.assert_peers_read(archive, {"empty.txt": b"", "small.txt": b"x", "old.bak": TREE["data/deep/old.bak"]})

    def test_root_folder_names_are_relative_to_it(self):
        archive = self.add("rooted.zip", "--root", self.source, "-r", "data", cwd=self.folder)
        self.assert_peers_read(archive, data_below("data/"))

    def test_exclusions_leave_out_what_matches(self):
        archive = self.add("excluded.zip", "-r", "-x", "*.bak", "data")
        expected = data_below("data/")
        del expected["data/deep/old.bak"]
        self.assert_peers_read(archive, expected)

    def test_move_removes_the_sources_after_writing(self):
        archive = self.add("moved.zip", "-m", "-r", "data/deep")
        self.assert_peers_read(archive, data_below("data/deep/"))
        self.assertEqual(files_below(os.path.join(self.source, "data", "deep")), {})
        self.assertTrue(os.path.exists(os.path.join(self.source, "readme.txt")))

    def change_sources(self):
        """A newer readme.txt and a file that is not in the archive yet."""
        changed = {"readme.txt": b"changed text\n", "data/new.txt": b"a new file\n"}
        write_tree(self.source, changed)
        later = os.path.getmtime(os.path.join(self.source, "readme.txt")) + 10
        os.utime(os.path.join(self.source, "readme.txt"), (later, later))
        return changed

    def test_freshen_replaces_newer_files_only(self):
        archive = self.add("fresh.zip", "readme.txt", "data/text.txt")
        changed = self.change_sources()
        self.add("fresh.zip", "-f", "readme.txt", "data/text.txt", "data/new.txt")
        self.assert_peers_read(archive, {"readme.txt": changed["readme.txt"], "data/text.txt": TREE["data/text.txt"]})

    def test_update_replaces_newer_files_and_adds_new_ones(self):
        archive = self.add("update.zip", "readme.txt", "data/text.txt")
        changed = self.change_sources()
        self.add("update.zip", "-u", "readme.txt", "data/text.txt", "data/new.txt")
        self.assert_peers_read(archive, {"readme.txt": changed["readme.txt"], "data/text.txt": TREE["data/text.txt"],
                                         "data/new.txt": changed["data/new.txt"]})

    def test_adding_to_an_existing_archive_keeps_its_entries(self):
        archive = self.add("grow.zip", "readme.txt")
        self.add("grow.zip", "-r", "data")
        self.assert_peers_read(archive, TREE)

    def test_standard_input_becomes_one_entry(self):
        data = random.Random(3).randbytes(90000) + b"tail"
        archive = self.path("memory.zip")
        self.run_tool("add", archive, "--name", "from/memory.bin", "-", stdin=data)
        self.assert_peers_read(archive, {"from/memory.bin": data})


class DeleteTest(AddTestCase):
    def test_deleted_entries_are_gone_and_the_rest_reads_back(self):
        archive = self.add("delete.zip", "-r", "data", "readme.txt")
        result = self.run_tool("delete", archive, "data/deep/*", "readme.txt")
        self.assertIn(b"deleted", result.stdout)
        expected = {name: data for name, data in TREE.items()
                    if not name.startswith("data/deep/") and name != "readme.txt"}
        self.assert_peers_read(archive, expected)

    def test_nothing_matched_fails_and_leaves_the_archive(self):
        archive = self.add("unmatched.zip", "readme.txt")
        with open(archive, "rb") as file:
            before = file.read()
        self.run_tool("delete", archive, "nothing*", expected_code=1)
        with open(archive, "rb") as file:
            self.assertEqual(file.read(), before)


class FailureTest(AddTestCase):
    def test_usage_and_missing_sources(self):
        self.run_tool("add", self.path("x.zip"), expected_code=2)
        self.run_tool("add", self.path("x.zip"), "-f", "-u", "readme.txt", expected_code=2)
        self.run_tool("delete", self.path("x.zip"), expected_code=2)
        result = self.run_tool("add", self.path("x.zip"), "no-such-file", expected_code=1)
        self.assertTrue(result.stderr.startswith(b"zipbuilder: "), result.stderr)
        self.assertFalse(os.path.exists(self.path("x.zip")))
        self.run_tool("delete", self.path("x.zip"), "a", expected_code=1)


if __name__ == "__main__":
    TOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main()
