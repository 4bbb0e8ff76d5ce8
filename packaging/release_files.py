#!/usr/bin/env python3
"""Helpers of scripts/package.sh.
  release_files.py version             prints the project version: x.y.z.w x.y
  release_files.py text SRC DST        the UTF-8 text SRC as GBK with CRLF line ends,
                                       @VERSION@ in it replaced by x.y
  release_files.py zip OUT PATH=NAME…  a zip of the files, each stored under NAME

The zips are for Chinese Windows, whose built-in unzip reads a name without
the UTF-8 flag in the code page of the system (936, GBK) and knows no other
way to mark it: the names are stored as GBK without the flag, as zip tools on
Chinese Windows write them. Each such name also has an Info-ZIP Unicode Path
field with its UTF-8 form, which 7-Zip and unzip read on any system."""
import os
import re
import struct
import sys
import time
import zipfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        match = re.search(r"project\s*\(\s*nexlune\b[^)]*?\bVERSION\s+([0-9]+(?:\.[0-9]+){1,3})", f.read(), re.I)
    if not match:
        sys.exit("CMakeLists.txt names no version: project(nexlune VERSION x.y.z.w ...)")
    parts = match.group(1).split(".")
    return ".".join(parts + ["0"] * (4 - len(parts))), ".".join(parts[:2])


def gbk_text_bytes(src):
    with open(src, encoding="utf-8") as f:
        text = f.read().replace("@VERSION@", project_version()[1])
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("gbk")  # any character outside GBK fails here


def gbk_text(src, dst):
    body = gbk_text_bytes(src)
    with open(dst, "wb") as f:
        f.write(body)


class GbkName(zipfile.ZipInfo):
    """An entry whose name is stored in GBK, without the UTF-8 flag."""

    def _encodeFilenameFlags(self):
        return self.filename.encode("gbk"), self.flag_bits & ~0x800


def make_zip(out, members):
    with zipfile.ZipFile(out, "w") as z:
        for path, name in members:
            info = GbkName(name, time.localtime(os.path.getmtime(path))[:6])
            info.create_system = 0  # MS-DOS: names in the OEM code page, DOS attributes
            info.external_attr = 0x20  # archive
            info.compress_type = zipfile.ZIP_DEFLATED
            raw = name.encode("gbk")
            if not name.isascii():  # Unicode Path: version 1, CRC-32 of the stored name, the UTF-8 name
                utf8 = name.encode("utf-8")
                info.extra = struct.pack("<HHBI", 0x7075, 5 + len(utf8), 1, zlib.crc32(raw)) + utf8
            with open(path, "rb") as f:
                z.writestr(info, f.read(), compresslevel=9)
    # The names as an unzip on Chinese Windows reads them.
    with zipfile.ZipFile(out) as z:
        for info, (_, name) in zip(z.infolist(), members):
            if info.flag_bits & 0x800 or info.orig_filename.encode("cp437").decode("gbk") != name:
                sys.exit("%s: entry %r is not stored as GBK" % (out, name))


def main(args):
    if args[:1] == ["version"] and len(args) == 1:
        print(*project_version())
    elif args[:1] == ["text"] and len(args) == 3:
        gbk_text(args[1], args[2])
    elif args[:1] == ["zip"] and len(args) > 2:
        make_zip(args[1], [tuple(a.split("=", 1)) for a in args[2:]])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
