#!/usr/bin/env python3
"""Makes the archives of other archivers that the directory reader is tested on,
and a manifest of what Python's zipfile reads from each of them.

Usage: make_interop_archives.py OUTPUT_FOLDER

Every archive is made from scratch at build time with the tools themselves (Info-ZIP
zip, 7-Zip, bsdtar, Python's zipfile). A tool that is missing is recorded in the
manifest, and the test skips that archive with the reason.

Manifest, one record per line, fields separated by single spaces; texts that may
hold blanks or other bytes are hexadecimal:
  archive FILE PREFIX_SIZE STRUCTURE_WARNING COMMENT_HEX
  entry CRC32 COMPRESSED_SIZE UNCOMPRESSED_SIZE NAME_UTF8_HEX COMMENT_HEX
with "-" for an empty comment.
  skip FILE REASON...
"""

import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

STUB = b"MZ" + bytes(range(256)) * 3 + b"stub end"  # 778 bytes standing for a self-extractor


def run(command, folder, stdin=None):
    subprocess.run(command, cwd=folder, input=stdin, check=True,
                   stdout=subprocess.DEVNULL if stdin is None else None)


def make_tree(folder):
    """Files to archive: text, something compressible, an empty file, a subfolder."""
    os.makedirs(os.path.join(folder, "docs", "deeper"), exist_ok=True)
    with open(os.path.join(folder, "readme.txt"), "w") as file:
        file.write("read me\n")
    with open(os.path.join(folder, "docs", "long.txt"), "w") as file:
        file.write("a line that repeats itself\n" * 500)
    open(os.path.join(folder, "docs", "deeper", "empty.dat"), "wb").close()


class Maker:
    def __init__(self, output, work):
        self.output = output
        self.work = work
        self.records = []

    def target(self, name):
        return os.path.join(self.output, name)

    def add(self, name, make, tool=None, prefix_size=0, structure_warning=0):
        if tool is not None and shutil.which(tool) is None:
            self.records.append("skip %s %s is not installed" % (name, tool))
            return
        path = self.target(name)
        if os.path.exists(path):
            os.remove(path)
        make(path)
        self.describe(name, path, prefix_size, structure_warning)

    def describe(self, name, path, prefix_size, structure_warning):
        with zipfile.ZipFile(path) as archive:
            self.records.append("archive %s %d %d %s" % (name, prefix_size, structure_warning,
                                                         archive.comment.hex() or "-"))
            for info in archive.infolist():
                self.records.append("entry %08x %d %d %s %s" % (info.CRC, info.compress_size, info.file_size,
                                                                info.filename.encode("utf-8").hex(),
                                                                info.comment.hex() or "-"))

    # --- Info-ZIP zip
    def zip_plain(self, path):
        run(["zip", "-q", "-r", path, "readme.txt", "docs"], self.work)

    def zip_with_comments(self, path):
        self.zip_plain(path)
        run(["zip", "-q", "-z", path], self.work, stdin=b"an archive comment from zip\n")
        run(["zip", "-q", "-c", path, "readme.txt"], self.work, stdin=b"a file comment\n")

    def zip_stdin_descriptor(self, path):
        run(["zip", "-q", "-fd", path, "-"], self.work, stdin=b"streamed from standard input\n")

    def zip_stdout_stream(self, path):
        with open(path, "wb") as output:
            producer = subprocess.Popen(["zip", "-q", "-", "readme.txt", "docs/long.txt"], cwd=self.work,
                                        stdout=subprocess.PIPE)
            # Read through a pipe, so that zip cannot seek back and writes data descriptors.
            shutil.copyfileobj(producer.stdout, output)
            if producer.wait() != 0:
                raise subprocess.CalledProcessError(producer.returncode, "zip -")

    def zip_padded(self, path):
        """Zeros up to the end of the last 512-byte block, as some copying tools leave them."""
        self.zip_plain(path)
        size = os.path.getsize(path)
        if size % 512 == 0:
            raise RuntimeError("the archive fills its last block: nothing to pad")
        with open(path, "ab") as file:
            file.write(b"\0" * (512 - size % 512))

    def sfx_plain(self, path):
        plain = path + ".part"
        self.zip_plain(plain)
        with open(path, "wb") as output, open(plain, "rb") as archive:
            output.write(STUB + archive.read())
        os.remove(plain)

    def sfx_adjusted(self, path):
        self.sfx_plain(path)
        run(["zip", "-q", "-A", path], self.work)

    # --- 7-Zip and bsdtar
    def seven_zip(self, path):
        run(["7z", "a", "-tzip", "-bd", path, "readme.txt", "docs"], self.work)

    def bsdtar(self, path):
        run(["bsdtar", "--format", "zip", "-cf", path, "readme.txt", "docs"], self.work)

    # --- Python's zipfile
    def python_stored_and_deflated(self, path):
        with zipfile.ZipFile(path, "w") as archive:
            archive.writestr(zipfile.ZipInfo("stored/plain.txt"), "kept as it is" * 10)
            archive.writestr("deflated/packed.txt", "squeezed " * 400, compress_type=zipfile.ZIP_DEFLATED)
            archive.writestr("folder/", "")
            archive.comment = b"made by zipfile"

    def python_dos_names(self, path):
        with zipfile.ZipFile(path, "w") as archive:
            for name, data in (("caf\u00e9.txt", "coffee"), ("\u00dcber/m\u00fcller.txt", "names in CP437")):
                info = Cp437ZipInfo(name)
                info.create_system = 0
                archive.writestr(info, data)

    def python_utf8_names(self, path):
        with zipfile.ZipFile(path, "w") as archive:
            for name, data in (("na\u00efve.txt", "utf-8"), ("\u00e5ngstr\u00f6m/\u00e9t\u00e9.txt", "bit 11")):
                info = zipfile.ZipInfo(name)
                info.create_system = 0
                archive.writestr(info, data, compress_type=zipfile.ZIP_DEFLATED)


class Cp437ZipInfo(zipfile.ZipInfo):
    """Names stored in the MS-DOS code page without the UTF-8 flag, as DOS archivers wrote them."""

    def _encodeFilenameFlags(self):
        return self.filename.encode("cp437"), self.flag_bits


def main():
    output = os.path.abspath(sys.argv[1])
    os.makedirs(output, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        make_tree(work)
        maker = Maker(output, work)
        maker.add("zip_plain.zip", maker.zip_plain, tool="zip")
        maker.add("zip_comments.zip", maker.zip_with_comments, tool="zip")
        maker.add("zip_stdin_descriptor.zip", maker.zip_stdin_descriptor, tool="zip")
        maker.add("zip_stdout_stream.zip", maker.zip_stdout_stream, tool="zip")
        maker.add("zip_padded.zip", maker.zip_padded, tool="zip")
        maker.add("sfx_plain.exe", maker.sfx_plain, tool="zip", prefix_size=len(STUB), structure_warning=1)
        maker.add("sfx_adjusted.exe", maker.sfx_adjusted, tool="zip", prefix_size=len(STUB))
        maker.add("seven_zip.zip", maker.seven_zip, tool="7z")
        maker.add("bsdtar.zip", maker.bsdtar, tool="bsdtar")
        maker.add("python_stored_deflated.zip", maker.python_stored_and_deflated)
        maker.add("python_dos_names.zip", maker.python_dos_names)
        maker.add("python_utf8_names.zip", maker.python_utf8_names)
    with open(os.path.join(output, "manifest.txt"), "w") as manifest:
        manifest.write("\n".join(maker.records) + "\n")


if __name__ == "__main__":
    main()
