#!/usr/bin/env python3
"""Writes a zip archive whose bytes depend only on the names and contents of its files.

Usage: reproducible_zip.py OUTPUT.zip YYYY-MM-DD NAME=PATH...

The entries are stored in name order, each dated the given day at midnight, with no owner,
permissions or extra time fields. (`cmake -E tar` and CPack store each file's access and change
times beside the modification time they are given, so two builds never give the same bytes.)
"""

import os
import sys
import zipfile


def main(argv):
    if len(argv) < 4:
        sys.exit(__doc__)
    output, day = argv[1], argv[2]
    year, month, date = (int(part) for part in day.split("-"))
    entries = sorted(argument.split("=", 1) for argument in argv[3:])
    names = [name for name, _ in entries]
    if len(set(names)) != len(names):
        sys.exit("reproducible_zip.py: the same name twice in " + " ".join(names))

    partial = output + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name, path in entries:
            info = zipfile.ZipInfo(name, date_time=(year, month, date, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            # Made on "MS-DOS" with no attributes: nothing of the building machine's users or
            # file modes, which Python would otherwise take from the host.
            info.create_system = 0
            info.external_attr = 0
            with open(path, "rb") as source:
                archive.writestr(info, source.read(), compresslevel=9)
    # Replaced in one step: a failed run never leaves half an archive under the release name.
    os.replace(partial, output)


if __name__ == "__main__":
    main(sys.argv)
