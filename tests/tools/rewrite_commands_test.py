"""The built tool's rename and copy subcommands on archives made here and now by
Info-ZIP zip (plain, streamed with data descriptors, behind a self-extractor
stub, encrypted), 7-Zip, bsdtar and Python's zipfile; what they write is tested
and read back by unzip, 7z and zipfile: names, contents, dates in both headers,
comments, extra fields.

Run: python3 rewrite_commands_test.py PATH-TO-zipbuilder [unittest arguments]
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

from tool_test_files import files_below, python_archive, write_tree

TOOL = ""

TREE = {
    "docs/readme.txt": b"read me first\n" * 200,
    "docs/guide.txt": b"".join(b"step %d\n" % index for index in range(500)),
    "data.txt": b"some data\n",
    "top.bin": bytes(range(256)) * 40,
}
# Named one by one: "." would give some archivers "./" names.
TOP_LEVEL = ["docs", "data.txt", "top.bin"]
A_NOON = (2019, 6, 7, 12, 0, 0)
STUB = b"MZ" + b"stub of a self-extractor\0" * 40
LOCAL_HEADER = struct.Struct("<IHHHHHIIIHH")


def missing_programs(*programs):
    return [program for program in programs if shutil.which(program) is None]


def needs(*programs):
    missing = missing_programs(*programs)
    return unittest.skipIf(missing, "not installed: " + ", ".join(missing))


def local_header(archive, info):
    """(flags, DOS time, DOS date, extra field) of the local header of `info`."""
    with open(archive, "rb") as file:
        file.seek(info.header_offset)
        fields = LOCAL_HEADER.unpack(file.read(LOCAL_HEADER.size))
        name_length, extra_length = fields[9], fields[10]
        file.seek(name_length, os.SEEK_CUR)
        return fields[2], fields[4], fields[5], file.read(extra_length)


def dos_date_time(date, time):
    return (1980 + (date >> 9), date >> 5 & 15, date & 31, time >> 11, time >> 5 & 63, (time & 31) * 2)


def contents(archive, password=None):
    """{name: bytes} of the files of `archive` as zipfile reads them; folders as None."""
    with zipfile.ZipFile(archive) as reader:
        if password:
            reader.setpassword(password)
        return {info.filename: None if info.is_dir() else reader.read(info) for info in reader.infolist()}


class RewriteTestCase(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="zipbuilder-rewrite-test-")
        self.addCleanup(shutil.rmtree, self.folder)
        self.source = self.path("tree")
        write_tree(self.source, TREE)
        for relative in list(TREE) + ["docs"]:
            os.utime(os.path.join(self.source, relative), (1560000000, 1560000000))

    def path(self, *parts):
        return os.path.join(self.folder, *parts)

    def run_tool(self, *arguments, expected_code=0):
        result = subprocess.run([TOOL, *arguments], capture_output=True, stdin=subprocess.DEVNULL, timeout=120)
        self.assertEqual(result.returncode, expected_code,
                         result.stdout.decode(errors="replace") + result.stderr.decode(errors="replace"))
        return result

    # --- the archivers

    def python_archive(self, name, members=None, comment=b"archive comment\nsecond line"):
        """members: (name, data, compression, entry comment); folders end in '/'."""
        if members is None:
            members = [(member, data, zipfile.ZIP_DEFLATED, b"comment of " + member.encode())
                       for member, data in TREE.items()] + [("docs/", b"", zipfile.ZIP_STORED, b"")]
        return python_archive(self.path(name), members, A_NOON, comment)

    def info_zip(self, name, *options):
        path = self.path(name)
        subprocess.run(["zip", "-q", "-r", *options, path, *TOP_LEVEL], cwd=self.source, check=True)
        return path

    def info_zip_streamed(self, name):
        """Written to a pipe: every entry has a data descriptor behind its data."""
        path = self.path(name)
        zipped = subprocess.run(["zip", "-q", "-r", "-fz-", "-", *TOP_LEVEL], cwd=self.source,
                                stdout=subprocess.PIPE, check=True).stdout
        with open(path, "wb") as output:
            output.write(zipped)
        return path

    def info_zip_sfx(self, name):
        """A stub in front, the offsets adjusted by zip -A."""
        plain = self.info_zip("plain-" + name)
        path = self.path(name)
        with open(path, "wb") as output, open(plain, "rb") as archive:
            output.write(STUB + archive.read())
        subprocess.run(["zip", "-q", "-A", path], check=True)
        return path

    def seven_zip(self, name):
        path = self.path(name)
        subprocess.run(["7z", "a", "-tzip", "-bd", path, *TOP_LEVEL], cwd=self.source, check=True, capture_output=True)
        return path

    def bsdtar(self, name):
        path = self.path(name)
        subprocess.run(["bsdtar", "--format", "zip", "-cf", path, *TOP_LEVEL], cwd=self.source, check=True)
        return path

    def peer_archives(self):
        """(label, path) of the same tree by every archiver that is installed."""
        makers = [("zipfile", lambda: self.python_archive("python.zip"), [])]
        makers += [("zip", lambda: self.info_zip("infozip.zip"), ["zip"]),
                   ("zip streamed", lambda: self.info_zip_streamed("streamed.zip"), ["zip"]),
                   ("zip sfx", lambda: self.info_zip_sfx("sfx.zip"), ["zip"]),
                   ("7z", lambda: self.seven_zip("7z.zip"), ["7z"]),
                   ("bsdtar", lambda: self.bsdtar("bsdtar.zip"), ["bsdtar"])]
        return [(label, make()) for label, make, programs in makers if not missing_programs(*programs)]

    # --- the readers

    def assert_peers_read(self, archive, expected, password=None):
        """unzip -t, 7z t and zipfile's testzip pass; zipfile reads exactly `expected`
        ({name: bytes, folders: None}); unzip extracts the same files."""
        if not missing_programs("unzip"):
            password_option = ["-P", password.decode()] if password else []
            subprocess.run(["unzip", "-tq", *password_option, archive], check=True, capture_output=True)
            target = self.path(os.path.basename(archive) + "-unzip")
            shutil.rmtree(target, ignore_errors=True)
            subprocess.run(["unzip", "-q", *password_option, archive, "-d", target], check=True, capture_output=True)
            self.assertEqual(files_below(target), {name: data for name, data in expected.items() if data is not None})
        if not missing_programs("7z"):
            password_option = ["-p" + password.decode()] if password else ["-p"]
            subprocess.run(["7z", "t", *password_option, archive], check=True, capture_output=True)
        with zipfile.ZipFile(archive) as reader:
            if password:
                reader.setpassword(password)
            self.assertIsNone(reader.testzip())
        self.assertEqual(contents(archive, password), expected)

    def infos(self, archive):
        with zipfile.ZipFile(archive) as reader:
            return {info.filename: info for info in reader.infolist()}


def renamed(names, old, new):
    return {name.replace(old, new, 1) if old in name else name: data for name, data in names.items()}


class RenameTest(RewriteTestCase):
    def test_folder_rename_in_archives_of_every_archiver(self):
        for label, archive in self.peer_archives():
            with self.subTest(archiver=label):
                before = contents(archive)
                old_infos = self.infos(archive)
                old_locals = {name: local_header(archive, info)[3] for name, info in old_infos.items()}
                result = self.run_tool("rename", archive, "docs/", "manual/")
                renamed_count = sum(1 for name in before if name.startswith("docs/"))
                self.assertEqual(result.stdout.decode(), f"{renamed_count} entries renamed in {archive}\n")
                self.assertEqual(result.stderr, b"")
                self.assert_peers_read(archive, renamed(before, "docs/", "manual/"))
                new_infos = self.infos(archive)
                for old_name, info in old_infos.items():
                    new = new_infos[old_name.replace("docs/", "manual/", 1)]
                    self.assertEqual(new.date_time, info.date_time, old_name)
                    self.assertEqual(new.comment, info.comment, old_name)
                    self.assertEqual(new.extra, info.extra, old_name)
                    self.assertEqual(new.CRC, info.CRC, old_name)
                    self.assertEqual(local_header(archive, new)[3], old_locals[old_name], old_name)

    def test_substring_match_ignores_ascii_case(self):
        archive = self.python_archive("case.zip")
        before = contents(archive)
        result = self.run_tool("rename", archive, "A.TXT", "b.txt", "README", "notes")
        self.assertEqual(result.stdout.decode(), f"2 entries renamed in {archive}\n")
        expected = renamed(renamed(before, "a.txt", "b.txt"), "readme", "notes")
        self.assertIn("datb.txt", expected)
        self.assertIn("docs/notes.txt", expected)
        self.assert_peers_read(archive, expected)

    def test_archive_and_entry_comments_stay(self):
        archive = self.python_archive("comments.zip")
        self.run_tool("rename", archive, "top.bin", "bottom.bin")
        with zipfile.ZipFile(archive) as reader:
            self.assertEqual(reader.comment, b"archive comment\nsecond line")
            self.assertEqual(reader.getinfo("bottom.bin").comment, b"comment of top.bin")
            self.assertEqual(reader.getinfo("docs/guide.txt").comment, b"comment of docs/guide.txt")

    def test_date_goes_into_the_central_and_the_local_header(self):
        for label, archive in self.peer_archives():
            with self.subTest(archiver=label):
                before = contents(archive)
                result = self.run_tool("rename", archive, "--date", "2024-02-29 13:45:31")
                self.assertEqual(result.stdout.decode(),
                                 f"0 entries renamed in {archive}, every entry dated 2024-02-29 13:45:30\n")
                for info in self.infos(archive).values():
                    self.assertEqual(info.date_time, (2024, 2, 29, 13, 45, 30), info.filename)
                    _, time, date, _ = local_header(archive, info)
                    self.assertEqual(dos_date_time(date, time), (2024, 2, 29, 13, 45, 30), info.filename)
                self.assert_peers_read(archive, before)

    @needs("zip")
    def test_local_extra_fields_longer_than_the_central_ones_are_copied(self):
        archive = self.info_zip("extras.zip")
        old_locals = {name: local_header(archive, info)[3] for name, info in self.infos(archive).items()}
        self.assertTrue(any(len(old_locals[name]) > len(info.extra) for name, info in self.infos(archive).items()),
                        "Info-ZIP wrote the same extra fields in both headers: nothing to test")
        before = contents(archive)
        self.run_tool("rename", archive, "docs/guide.txt", "docs/manual.txt")
        self.assert_peers_read(archive, renamed(before, "guide", "manual"))
        for name, info in self.infos(archive).items():
            self.assertEqual(local_header(archive, info)[3], old_locals[name.replace("manual", "guide")], name)

    @needs("zip")
    def test_streamed_entries_keep_their_data_descriptors(self):
        archive = self.info_zip_streamed("descriptors.zip")
        files = [info for info in self.infos(archive).values() if not info.is_dir()]
        self.assertTrue(all(info.flag_bits & 8 for info in files))
        before = contents(archive)
        self.run_tool("rename", archive, "data", "figures", "--date", "2020-01-01 00:00:00")
        self.assert_peers_read(archive, renamed(before, "data", "figures"))
        self.assertEqual([info.flag_bits & 8 for info in self.infos(archive).values() if not info.is_dir()],
                         [8] * len(files))

    @needs("zip")
    def test_self_extractor_keeps_its_stub(self):
        archive = self.info_zip_sfx("stub.zip")
        before = contents(archive)
        self.run_tool("rename", archive, "top", "head")
        with open(archive, "rb") as file:
            self.assertEqual(file.read(len(STUB)), STUB)
        self.assert_peers_read(archive, renamed(before, "top", "head"))
        self.assertTrue(all(info.header_offset >= len(STUB) for info in self.infos(archive).values()))

    @needs("zip", "unzip")
    def test_encrypted_entry_is_renamed_without_its_password(self):
        write_tree(self.source, {"secret.txt": b"the secret text\n" * 50})
        archive = self.path("encrypted.zip")
        subprocess.run(["zip", "-q", "-P", "secret", archive, "secret.txt"], cwd=self.source, check=True)
        self.run_tool("rename", archive, "secret.txt", "hidden.txt")
        self.assertTrue(self.infos(archive)["hidden.txt"].flag_bits & 1)
        self.assert_peers_read(archive, {"hidden.txt": b"the secret text\n" * 50}, password=b"secret")

    def test_utf8_names_are_matched_and_written_as_utf8(self):
        archive = self.python_archive("utf8.zip", [("grüße/über.txt", b"u", zipfile.ZIP_STORED, b""),
                                                 ("plain.txt", b"p", zipfile.ZIP_STORED, b"")])
        self.run_tool("rename", archive, "über", "äpfel")
        infos = self.infos(archive)
        self.assertEqual(sorted(infos), ["grüße/äpfel.txt", "plain.txt"])
        self.assertTrue(infos["grüße/äpfel.txt"].flag_bits & 0x800)
        self.assert_peers_read(archive, {"grüße/äpfel.txt": b"u", "plain.txt": b"p"})

    def test_file_renamed_to_a_folder_name_is_refused_before_anything_is_written(self):
        archive = self.python_archive("refused.zip")
        with open(archive, "rb") as file:
            before = file.read()
        result = self.run_tool("rename", archive, "data.txt", "sub/", expected_code=2)
        self.assertIn(b"NEW 'sub/' has no file name", result.stderr)
        self.run_tool("rename", archive, "x", "y", "z", expected_code=2)
        self.run_tool("rename", archive, "x", "y", "--date", "1979-12-31 00:00:00", expected_code=2)
        with open(archive, "rb") as file:
            self.assertEqual(file.read(), before)


class CopyTest(RewriteTestCase):
    def destination(self, name="destination.zip"):
        """A folder-only entry, an entry the sources also hold and one they do not."""
        return self.python_archive(name, [("keep/", b"", zipfile.ZIP_STORED, b""),
                                          ("data.txt", b"the destination's data\n", zipfile.ZIP_DEFLATED, b"mine"),
                                          ("own.txt", b"own\n", zipfile.ZIP_STORED, b"")],
                                   comment=b"the destination's comment")

    def test_copy_from_archives_of_every_archiver(self):
        for label, archive in self.peer_archives():
            with self.subTest(archiver=label):
                destination = self.destination(f"into-{label}.zip".replace(" ", "-"))
                expected = contents(destination)
                source_before = contents(archive)
                result = self.run_tool("copy", archive, destination, "docs/readme.txt", "top.bin")
                self.assertEqual(result.stdout.decode(), f"2 entries copied to {destination}\n")
                expected.update({name: source_before[name] for name in ("docs/readme.txt", "top.bin")})
                self.assert_peers_read(destination, expected)
                self.assertEqual(list(self.infos(destination)), ["keep/", "data.txt", "own.txt", "docs/readme.txt",
                                                                  "top.bin"])
                source_infos = self.infos(archive)
                for name, info in self.infos(destination).items():
                    if name in ("docs/readme.txt", "top.bin"):
                        self.assertEqual(info.date_time, source_infos[name].date_time, name)
                        self.assertEqual(info.comment, source_infos[name].comment, name)
                with zipfile.ZipFile(destination) as reader:
                    self.assertEqual(reader.comment, b"the destination's comment")
                self.assertEqual(contents(archive), source_before)

    def test_always_replaces_and_never_keeps(self):
        source = self.python_archive("source.zip")
        destination = self.destination()
        result = self.run_tool("copy", source, destination, "data.txt", "--overwrite", "never")
        self.assertEqual(result.stdout.decode(), f"0 entries copied to {destination}; kept: data.txt\n")
        self.assertEqual(contents(destination)["data.txt"], b"the destination's data\n")

        result = self.run_tool("copy", source, destination, "data.txt", "--overwrite", "always")
        self.assertEqual(result.stdout.decode(), f"1 entry copied to {destination}\n")
        self.assertEqual(list(self.infos(destination)), ["keep/", "data.txt", "own.txt"])
        self.assertEqual(self.infos(destination)["data.txt"].comment, b"comment of data.txt")
        self.assert_peers_read(destination, {"keep/": None, "data.txt": TREE["data.txt"], "own.txt": b"own\n"})

    def test_confirm_without_a_terminal_keeps_without_asking(self):
        source = self.python_archive("source.zip")
        destination = self.destination()
        result = self.run_tool("copy", source, destination, "data.txt", "docs\\guide.txt")
        self.assertEqual(result.stdout.decode(), f"1 entry copied to {destination}; kept: data.txt\n")
        self.assertEqual(result.stderr, b"")
        self.assertEqual(contents(destination)["data.txt"], b"the destination's data\n")
        self.assertEqual(contents(destination)["docs/guide.txt"], TREE["docs/guide.txt"])

    def test_delete_source_deletes_the_copied_entries_only(self):
        source = self.python_archive("source.zip")
        destination = self.destination()
        result = self.run_tool("copy", source, destination, "docs/guide.txt", "data.txt", "top.bin",
                               "--overwrite", "never", "--delete-source")
        self.assertEqual(result.stdout.decode(),
                         f"2 entries copied to {destination}, 2 deleted from {source}; kept: data.txt\n")
        self.assert_peers_read(source, {"docs/": None, "docs/readme.txt": TREE["docs/readme.txt"],
                                        "data.txt": TREE["data.txt"]})
        self.assert_peers_read(destination, {"keep/": None, "data.txt": b"the destination's data\n",
                                             "own.txt": b"own\n", "docs/guide.txt": TREE["docs/guide.txt"],
                                             "top.bin": TREE["top.bin"]})

    def test_utf8_names_are_copied_as_stored(self):
        source = self.python_archive("utf8.zip", [("grüße/über.txt", b"u", zipfile.ZIP_STORED, b""),
                                                ("plain.txt", b"p", zipfile.ZIP_STORED, b"")])
        destination = self.destination()
        self.run_tool("copy", source, destination, "grüße/über.txt")
        info = self.infos(destination)["grüße/über.txt"]
        self.assertTrue(info.flag_bits & 0x800)
        self.assertEqual(info.orig_filename, "grüße/über.txt")
        self.assert_peers_read(destination, {"keep/": None, "data.txt": b"the destination's data\n",
                                             "own.txt": b"own\n", "grüße/über.txt": b"u"})

    @needs("zip", "unzip")
    def test_encrypted_entry_is_copied_without_its_password(self):
        write_tree(self.source, {"secret.txt": b"the secret text\n" * 50})
        source = self.path("encrypted.zip")
        subprocess.run(["zip", "-q", "-P", "secret", source, "secret.txt"], cwd=self.source, check=True)
        destination = self.path("plain.zip")
        subprocess.run(["zip", "-q", "-P", "secret", destination, "data.txt"], cwd=self.source, check=True)
        self.run_tool("copy", source, destination, "secret.txt")
        self.assertTrue(self.infos(destination)["secret.txt"].flag_bits & 1)
        self.assert_peers_read(destination, {"data.txt": TREE["data.txt"], "secret.txt": b"the secret text\n" * 50},
                               password=b"secret")

    @needs("zip")
    def test_self_extracting_destination_keeps_its_stub(self):
        destination = self.info_zip_sfx("stub.zip")
        source = self.python_archive("source.zip", [("new.txt", b"new\n", zipfile.ZIP_DEFLATED, b"")])
        before = contents(destination)
        self.run_tool("copy", source, destination, "new.txt")
        with open(destination, "rb") as file:
            self.assertEqual(file.read(len(STUB)), STUB)
        self.assert_peers_read(destination, {**before, "new.txt": b"new\n"})

    def test_missing_destination_is_made(self):
        source = self.python_archive("source.zip")
        made = self.path("made.zip")
        result = self.run_tool("copy", source, made, "docs/", "data.txt")
        self.assertEqual(result.stdout.decode(), f"2 entries copied to {made}\n")
        self.assertEqual(list(self.infos(made)), ["docs/", "data.txt"])
        self.assert_peers_read(made, {"docs/": None, "data.txt": TREE["data.txt"]})

    def test_missing_source_or_name_fails_and_changes_nothing(self):
        source = self.python_archive("source.zip")
        destination = self.destination()
        result = self.run_tool("copy", self.path("none.zip"), destination, "data.txt", expected_code=1)
        self.assertEqual(result.stderr.decode(), f"zipbuilder: SOURCE {self.path('none.zip')} does not exist\n")
        self.run_tool("copy", source, self.path("none.zip"), "absent.txt", expected_code=1)
        self.assertFalse(os.path.exists(self.path("none.zip")))
        with open(destination, "rb") as file:
            before = file.read()
        result = self.run_tool("copy", source, destination, "absent.txt", expected_code=1)
        self.assertIn(b"absent.txt", result.stderr)
        with open(destination, "rb") as file:
            self.assertEqual(file.read(), before)
        self.run_tool("copy", source, destination, expected_code=2)
        self.run_tool("copy", source, destination, "data.txt", "--overwrite", "sometimes", expected_code=2)


if __name__ == "__main__":
    TOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main()
