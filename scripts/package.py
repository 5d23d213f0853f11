#!/usr/bin/env python3
"""Packs a release archive whose bytes depend only on its contents and the
commit's time: files in a fixed order, each stamped with SOURCE_DATE_EPOCH,
no owner or permission bits of the machine that made it, and stored as
they are, so that no compressor's version can change a byte.

package.py VERSION EXE COM README OUTPUT.zip: varnick.exe, its console
companion varnick.com, README.txt and SHA256SUMS of all three.
"""
import hashlib
import os
import sys
import time
import zipfile


def main():
    version, exe, companion, readme, output = sys.argv[1:6]
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "0"))
    # Zip stores no earlier time than 1980.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    with open(exe, "rb") as f:
        program = f.read()
    with open(companion, "rb") as f:
        console = f.read()
    with open(readme, "rb") as f:
        text = f.read().replace(b"@VERSION@", version.encode())
    text = text.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")  # read on Windows
    files = [("varnick.exe", program), ("varnick.com", console), ("README.txt", text)]
    sums = "".join("%s *%s\n" % (hashlib.sha256(data).hexdigest(), name) for name, data in files)
    files.append(("SHA256SUMS", sums.encode()))
    with zipfile.ZipFile(output, "w") as archive:
        for name, data in files:
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_STORED
            info.create_system = 0  # MS-DOS: no Unix owner or mode
            info.external_attr = 0
            archive.writestr(info, data)


if __name__ == "__main__":
    main()
