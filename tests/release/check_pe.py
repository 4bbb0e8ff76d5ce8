#!/usr/bin/env python3
"""Static checks of a Windows program file, without running it: machine type,
large-address awareness, GUI subsystem, version resource, manifest, icons,
and that it imports only from DLLs that Windows ships. Programs carried
inside it as RCDATA (the skin library) get the machine and import checks too.

Usage: check_pe.py FILE --machine i386|amd64 [--version 4.0.0.0]
  --version  defaults to the project version in the top-level CMakeLists.txt
Exits non-zero, naming every failed check; prints a summary otherwise."""
import argparse
import os
import re
import struct
import sys
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

MACHINES = {"i386": 0x014C, "amd64": 0x8664}
MACHINE_NAMES = {v: k for k, v in MACHINES.items()}
# The processorArchitecture a manifest names for each machine.
MANIFEST_ARCH = {"i386": "x86", "amd64": "amd64"}

RT_ICON, RT_RCDATA, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 10, 14, 16, 24
IMAGE_FILE_LARGE_ADDRESS_AWARE = 0x0020
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
VS_FF_DEBUG, VS_FF_PRERELEASE = 0x1, 0x2

ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll", "shell32.dll",
                "ole32.dll", "oleaut32.dll", "advapi32.dll", "winhttp.dll", "imm32.dll", "msvcrt.dll",
                "shlwapi.dll", "uxtheme.dll", "version.dll", "ws2_32.dll"}

# The supportedOS identifiers Windows knows, by the version they stand for.
KNOWN_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "10/11",
}
ICON_SIZES_WANTED = (16, 32, 48, 256)


class BadFile(Exception):
    pass


class PE:
    """The parts of a PE file these checks read; every offset is bounds-checked."""

    def __init__(self, data):
        self.data = data
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise BadFile("no MZ header")
        pe = self.u32(0x3C)
        if self.bytes_at(pe, 4) != b"PE\0\0":
            raise BadFile("no PE signature at 0x%x" % pe)
        (self.machine, sections, _, self.symbol_table, self.symbol_count, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = self.u16(opt)
        if self.magic == 0x10B:
            self.image_base, dirs_count_at = self.u32(opt + 28), opt + 92
        elif self.magic == 0x20B:
            self.image_base, dirs_count_at = struct.unpack_from("<Q", data, opt + 24)[0], opt + 108
        else:
            raise BadFile("unknown optional header magic 0x%x" % self.magic)
        self.subsystem = self.u16(opt + 68)
        self.dll_characteristics = self.u16(opt + 70)
        self.headers_size = self.u32(opt + 60)
        count = min(self.u32(dirs_count_at), 16)
        self.directories = [struct.unpack_from("<II", data, dirs_count_at + 4 + 8 * i) for i in range(count)]
        self.sections = []
        at = opt + optional_size
        for i in range(sections):
            name, vsize, va, raw_size, raw_at = struct.unpack_from("<8sIIII", data, at + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("latin-1"), va, max(vsize, raw_size), raw_at, raw_size))

    def bytes_at(self, offset, n):
        if offset < 0 or offset + n > len(self.data):
            raise BadFile("read of %d bytes at 0x%x lies outside the file" % (n, offset))
        return self.data[offset:offset + n]

    def u16(self, offset):
        return struct.unpack("<H", self.bytes_at(offset, 2))[0]

    def u32(self, offset):
        return struct.unpack("<I", self.bytes_at(offset, 4))[0]

    def offset(self, rva):
        if rva < self.headers_size:
            return rva
        for _, va, size, raw_at, raw_size in self.sections:
            if va <= rva < va + size:
                if rva - va >= raw_size:
                    raise BadFile("address 0x%x has no bytes in the file" % rva)
                return raw_at + rva - va
        raise BadFile("address 0x%x is in no section" % rva)

    def read(self, rva, n):
        return self.bytes_at(self.offset(rva), n)

    def cstr(self, rva):
        at = self.offset(rva)
        end = self.data.find(b"\0", at, at + 512)
        if end < 0:
            raise BadFile("unterminated name at 0x%x" % rva)
        return self.data[at:end].decode("latin-1")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def imported_dlls(self):
        """The DLL names of the import and the delay-load import directories."""
        names = [self.cstr(struct.unpack_from("<I", entry, 12)[0]) for entry in self.table_entries(1, 20)]
        for entry in self.table_entries(13, 32):
            attributes, name = struct.unpack_from("<II", entry, 0)
            names.append(self.cstr(name if attributes & 1 else name - self.image_base))
        return names

    def table_entries(self, index, entry_size):
        """The entries of a directory that is a table ended by an entry of zeros."""
        rva, size = self.directory(index)
        if not (rva and size):
            return
        for i in range(4096):
            entry = self.read(rva + entry_size * i, entry_size)
            if entry == bytes(entry_size):
                return
            yield entry

    def resources(self):
        """{(type, name, language): bytes}; names are numbers or upper-case strings."""
        rva, size = self.directory(2)
        if not rva or not size:
            return {}
        base = self.offset(rva)
        found = {}

        def entries(at):
            named, numbered = struct.unpack_from("<HH", self.bytes_at(base + at, 16), 12)
            for i in range(named + numbered):
                name, target = struct.unpack("<II", self.bytes_at(base + at + 16 + 8 * i, 8))
                if name & 0x80000000:
                    length = self.u16(base + (name & 0x7FFFFFFF))
                    name = self.bytes_at(base + (name & 0x7FFFFFFF) + 2, 2 * length).decode("utf-16-le").upper()
                yield name, target

        def walk(at, path):
            for name, target in entries(at):
                if target & 0x80000000:
                    if len(path) < 2:
                        walk(target & 0x7FFFFFFF, path + (name,))
                elif len(path) == 2:
                    data_rva, data_size = struct.unpack("<II", self.bytes_at(base + target, 8))
                    found[path + (name,)] = self.read(data_rva, data_size)

        walk(0, ())
        return found


def resources_of(res, rtype, name=None):
    return [data for (t, n, _), data in sorted(res.items(), key=lambda kv: str(kv[0]))
            if t == rtype and (name is None or n == name)]


def version_blocks(data, at=0, end=None):
    """The VS_VERSIONINFO tree: [(key, value, children)]; a text value is a str."""
    end = len(data) if end is None else end
    blocks = []
    while at + 6 <= end:
        length, value_length, text = struct.unpack_from("<HHH", data, at)
        if length < 6 or at + length > end:
            raise BadFile("broken version block at %d" % at)
        key_end = at + 6
        while key_end + 1 < at + length and data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[at + 6:key_end].decode("utf-16-le")
        value_at = (key_end + 2 + 3) & ~3
        if text == 1:
            # Compilers differ in counting a text's length; the text ends at its NUL.
            raw = data[value_at:at + length]
            stop = next((i for i in range(0, len(raw) - 1, 2) if raw[i:i + 2] == b"\0\0"), len(raw) & ~1)
            value, value_end = raw[:stop].decode("utf-16-le"), value_at + (value_length * 2 if value_length else 0)
        else:
            value, value_end = data[value_at:value_at + value_length], value_at + value_length
        children_at = (value_end + 3) & ~3
        children = version_blocks(data, children_at, at + length) if children_at < at + length else []
        blocks.append((key, value, children))
        at = (at + length + 3) & ~3
    return blocks


def split_version(ms, ls):
    return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def local(tag):
    return tag.rsplit("}", 1)[-1]


class Checker:
    def __init__(self, path, machine, version):
        self.path = path
        self.machine = machine
        self.version = version
        self.failures = []
        self.summary = []

    def fail(self, text):
        self.failures.append(text)

    def run(self):
        with open(self.path, "rb") as f:
            data = f.read()
        try:
            pe = PE(data)
        except (BadFile, struct.error) as e:
            self.fail("not a PE file: %s" % e)
            return
        self.summary.append("size: %d bytes" % len(data))
        self.check_machine(pe, "the program")
        self.check_flags(pe)
        try:
            self.check_imports(pe, "the program")
            res = pe.resources()
        except (BadFile, struct.error) as e:
            self.fail("unreadable import or resource tables: %s" % e)
            return
        for check in (self.check_version, self.check_manifest, self.check_icons, self.check_carried):
            try:
                check(res)
            except (BadFile, struct.error, ValueError, UnicodeDecodeError) as e:
                self.fail("%s: malformed data: %s" % (check.__name__.replace("check_", ""), e))

    def check_machine(self, pe, what):
        got = MACHINE_NAMES.get(pe.machine, "0x%04x" % pe.machine)
        if pe.machine != MACHINES[self.machine]:
            self.fail("%s: machine %s, wanted %s" % (what, got, self.machine))
        want_magic = 0x20B if self.machine == "amd64" else 0x10B
        if pe.magic != want_magic:
            self.fail("%s: optional header is %s, wanted %s" % (
                what, "PE32+" if pe.magic == 0x20B else "PE32", "PE32+" if want_magic == 0x20B else "PE32"))
        return got

    def check_flags(self, pe):
        laa = bool(pe.characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE)
        if self.machine == "i386" and not laa:
            self.fail("the 32-bit program is not marked large-address-aware")
        if pe.subsystem != IMAGE_SUBSYSTEM_WINDOWS_GUI:
            self.fail("subsystem %d, wanted Windows GUI (2): a console window would open with it" % pe.subsystem)
        self.summary.append("machine: %s (%s)%s" % (MACHINE_NAMES.get(pe.machine, hex(pe.machine)),
                                                    "PE32+" if pe.magic == 0x20B else "PE32",
                                                    ", large-address-aware" if laa else ""))
        self.summary.append("symbols: %s" % ("none (stripped)" if not pe.symbol_count
                                              else "%d (not stripped)" % pe.symbol_count))

    def check_imports(self, pe, what):
        dlls = pe.imported_dlls()
        others = sorted({d for d in dlls if d.lower() not in ALLOWED_DLLS}, key=str.lower)
        if others:
            self.fail("%s imports from DLLs that Windows does not ship: %s" % (what, ", ".join(others)))
        if not dlls:
            self.fail("%s imports nothing (no import directory read)" % what)
        self.summary.append("imports of %s: %s" % (what, ", ".join(sorted(set(dlls), key=str.lower))))

    def check_version(self, res):
        found = resources_of(res, RT_VERSION)
        if not found:
            self.fail("no version resource (RT_VERSION)")
            return
        blocks = version_blocks(found[0])
        if not blocks or blocks[0][0] != "VS_VERSION_INFO":
            self.fail("version resource does not start with VS_VERSION_INFO")
            return
        _, fixed, children = blocks[0]
        if len(fixed) < 52 or struct.unpack_from("<I", fixed)[0] != 0xFEEF04BD:
            self.fail("version resource has no VS_FIXEDFILEINFO")
        else:
            (_, _, file_ms, file_ls, product_ms, product_ls, mask, flags, _, file_type) = struct.unpack_from(
                "<10I", fixed)
            file_version, product_version = split_version(file_ms, file_ls), split_version(product_ms, product_ls)
            for name, got in (("file version", file_version), ("product version", product_version)):
                if got != self.version:
                    self.fail("fixed %s %s, wanted %s" % (name, got, self.version))
            if flags & mask & (VS_FF_DEBUG | VS_FF_PRERELEASE):
                self.fail("version flags mark a debug or pre-release build (0x%x)" % (flags & mask))
            if file_type != 1:
                self.fail("version file type %d, wanted 1 (application)" % file_type)
        strings, tables, translations = {}, [], []
        for key, _, kids in children:
            if key == "StringFileInfo":
                for table, _, entries in kids:
                    tables.append(table)
                    strings.update({k: v for k, v, _ in entries if isinstance(v, str)})
            elif key == "VarFileInfo":
                for var, value, _ in kids:
                    if var == "Translation" and isinstance(value, bytes):
                        translations += ["%04x%04x" % struct.unpack_from("<HH", value, i)
                                         for i in range(0, len(value) - 3, 4)]
        short = ".".join(self.version.split(".")[:2])
        wanted = {"ProductName": "Nexlune", "ProductVersion": short}
        for name, value in wanted.items():
            if strings.get(name) != value:
                self.fail("version string %s is %r, wanted %r" % (name, strings.get(name), value))
        for name in ("FileVersion", "FileDescription", "LegalCopyright"):
            if not strings.get(name, "").strip():
                self.fail("version string %s is missing or empty" % name)
        if strings.get("FileVersion") and not strings["FileVersion"].startswith(short):
            self.fail("version string FileVersion %r does not name version %s" % (strings["FileVersion"], short))
        if not tables:
            self.fail("version resource has no string table")
        elif not translations:
            self.fail("version resource has no VarFileInfo Translation")
        elif not any(t.lower() in translations for t in tables):
            # Explorer looks the strings up by the translation.
            self.fail("string table %s matches no Translation (%s)" % (", ".join(tables), ", ".join(translations)))
        self.summary.append("version: %s; %s" % (self.version, ", ".join(
            "%s=%r" % (k, strings[k]) for k in ("ProductName", "ProductVersion", "FileVersion") if k in strings)))

    def check_manifest(self, res):
        found = resources_of(res, RT_MANIFEST, 1)
        if not found:
            kinds = sorted({str(n) for t, n, _ in res if t == RT_MANIFEST})
            self.fail("no manifest with id 1 (RT_MANIFEST)%s" % (" (found ids %s)" % ", ".join(kinds) if kinds else ""))
            return
        text = found[0].lstrip(b"\xef\xbb\xbf \t\r\n")
        try:
            root = ET.fromstring(text)
        except ET.ParseError as e:
            self.fail("manifest is not well-formed XML: %s" % e)
            return
        elements = list(root.iter())
        levels = [e.get("level") for e in elements if local(e.tag) == "requestedExecutionLevel"]
        if levels != ["asInvoker"]:
            self.fail("manifest requestedExecutionLevel %r, wanted one level=\"asInvoker\"" % levels)
        arch = MANIFEST_ARCH[self.machine]
        own = [e for e in elements if local(e.tag) == "assemblyIdentity" and e in list(root)]
        for e in own:
            if e.get("processorArchitecture") not in (None, "*", arch):
                self.fail("manifest's own processorArchitecture %r on a %s program" % (
                    e.get("processorArchitecture"), self.machine))
        controls = [e for e in elements if local(e.tag) == "assemblyIdentity"
                    and e.get("name") == "Microsoft.Windows.Common-Controls"]
        if not controls:
            self.fail("manifest names no dependency on Microsoft.Windows.Common-Controls")
        for e in controls:
            if e.get("version") != "6.0.0.0":
                self.fail("Common-Controls version %r, wanted 6.0.0.0" % e.get("version"))
            if e.get("processorArchitecture") not in ("*", arch):
                # Windows then loads no version 6 and the program does not start.
                self.fail("Common-Controls processorArchitecture %r, wanted \"*\" or %r" % (
                    e.get("processorArchitecture"), arch))
            if (e.get("publicKeyToken") or "").lower() != "6595b64144ccf1df":
                self.fail("Common-Controls publicKeyToken %r, wanted 6595b64144ccf1df" % e.get("publicKeyToken"))
        oses = [(e.get("Id") or "").lower() for e in elements if local(e.tag) == "supportedOS"]
        if not oses:
            self.fail("manifest has no supportedOS entries")
        unknown = [o for o in oses if o not in KNOWN_OS]
        if unknown:
            self.fail("manifest names unknown supportedOS ids: %s" % ", ".join(unknown))
        aware = [(e.text or "").strip().lower() for e in elements if local(e.tag) == "dpiAware"]
        awareness = [(e.text or "").strip().lower() for e in elements if local(e.tag) == "dpiAwareness"]
        if aware != ["true"] and not (awareness and awareness[0].split(",")[0].strip() == "system"):
            self.fail("manifest's DPI awareness is dpiAware %r, dpiAwareness %r; wanted dpiAware true "
                      "(system-aware)" % (aware, awareness))
        self.summary.append("manifest: asInvoker, Common-Controls 6, supported OS %s, dpiAware %s" % (
            "/".join(KNOWN_OS.get(o, o) for o in oses), (aware or awareness or ["?"])[0]))

    def check_icons(self, res):
        groups = resources_of(res, RT_GROUP_ICON)
        if not groups:
            self.fail("no icon group (RT_GROUP_ICON)")
            return
        # Explorer shows the first group of the file.
        first = groups[0]
        reserved, kind, count = struct.unpack_from("<HHH", first)
        if reserved != 0 or kind != 1 or len(first) < 6 + 14 * count:
            self.fail("first icon group is malformed")
            return
        icons = {n: data for (t, n, _), data in res.items() if t == RT_ICON}
        sizes = []
        for i in range(count):
            width, height, _, _, _, bits, size, ident = struct.unpack_from("<BBBBHHIH", first, 6 + 14 * i)
            width, height = width or 256, height or 256
            data = icons.get(ident)
            if data is None:
                self.fail("icon group names icon %d, which is missing" % ident)
                continue
            if len(data) != size:
                self.fail("icon %d has %d bytes, its group says %d" % (ident, len(data), size))
            if data[:8] == b"\x89PNG\r\n\x1a\n":
                real = struct.unpack(">II", data[16:24])
            elif len(data) >= 16 and struct.unpack_from("<I", data)[0] >= 40:
                w, h = struct.unpack_from("<ii", data, 4)
                real = (w, h // 2)
            else:
                self.fail("icon %d is neither PNG nor a bitmap" % ident)
                continue
            if real != (width, height):
                self.fail("icon %d is %dx%d, its group says %dx%d" % (ident, real[0], real[1], width, height))
            sizes.append("%d%s" % (width, "" if width == height else "x%d" % height) + ("/%d-bit" % bits
                                                                                          if bits else ""))
        widths = {int(s.split("/")[0].split("x")[0]) for s in sizes}
        missing = [str(w) for w in ICON_SIZES_WANTED if w not in widths]
        if missing:
            self.fail("the program's icon lacks the sizes %s (has %s)" % (", ".join(missing), ", ".join(sizes)))
        self.summary.append("icon: %s" % ", ".join(sizes))

    def check_carried(self, res):
        for (t, n, _), data in sorted(res.items(), key=lambda kv: str(kv[0])):
            if t != RT_RCDATA or data[:2] != b"MZ":
                continue
            what = "the program carried as RCDATA %s" % n
            try:
                inner = PE(data)
            except BadFile as e:
                self.fail("%s is no PE file: %s" % (what, e))
                continue
            self.check_machine(inner, what)
            self.check_imports(inner, what)

    def report(self):
        if self.failures:
            print("%s: %d check(s) FAILED" % (self.path, len(self.failures)))
            for text in self.failures:
                print("  - " + text)
            return 1
        print("%s: all checks passed" % self.path)
        for line in self.summary:
            print("  " + line)
        return 0


def project_version():
    """The x.y.z.w of project(nexlune VERSION ...) in the top-level CMakeLists.txt."""
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        match = re.search(r"project\s*\(\s*nexlune\b[^)]*?\bVERSION\s+([0-9]+(?:\.[0-9]+){0,3})", f.read(), re.I)
    if not match:
        return None
    parts = match.group(1).split(".")
    return ".".join(parts + ["0"] * (4 - len(parts)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("file")
    parser.add_argument("--machine", choices=sorted(MACHINES), required=True)
    parser.add_argument("--version", help="x.y.z.w (default: the project version in CMakeLists.txt)")
    args = parser.parse_args()
    version = args.version or project_version()
    if not version or not re.fullmatch(r"\d+\.\d+\.\d+\.\d+", version):
        print("no version: give --version x.y.z.w or set project(nexlune VERSION x.y.z.w) in CMakeLists.txt")
        return 2
    if not os.path.isfile(args.file):
        print("%s: no such file" % args.file)
        return 1
    checker = Checker(args.file, args.machine, version)
    checker.run()
    return checker.report()


if __name__ == "__main__":
    sys.exit(main())
