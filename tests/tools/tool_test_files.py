"""Folder trees on disk and Info-ZIP archives of them, for the suites that run
the built tool. A tree is {relative path with "/": bytes}."""

import os
import subprocess
import zipfile


def write_tree(root, tree):
    for relative, data in tree.items():
        file_path = os.path.join(root, relative)
        os.makedirs(os.path.dirname(file_path), exist_ok=True)
        with open(file_path, "wb") as file:
            file.write(data)


def files_below(folder):
    """Every file below `folder` as a tree; folders themselves do not show."""
    found = {}
    for root, _, names in os.walk(folder):
        for name in names:
            full = os.path.join(root, name)
            with open(full, "rb") as file:
                found[os.path.relpath(full, folder).replace(os.sep, "/")] = file.read()
    return found


def info_zip_archive(source, archive, tree, *zip_options):
    """Writes `tree` into the folder `source` and zips it into `archive` with
    Info-ZIP zip, recursing, names relative to `source`."""
    write_tree(source, tree)
    subprocess.run(["zip", "-q", "-r", *zip_options, archive, "."], cwd=source, check=True)
    return archive


def python_archive(path, members, date_time, comment=b""):
    """Writes `path` with Python's zipfile. members: (name, data, compression,
    entry comment), each dated `date_time`; folders end in '/'."""
    with zipfile.ZipFile(path, "w") as archive:
        for member_name, data, compression, entry_comment in members:
            info = zipfile.ZipInfo(member_name, date_time)
            info.compress_type = compression
            info.comment = entry_comment
            archive.writestr(info, data)
        archive.comment = comment
    return path
