#!/usr/bin/python3
"""Shows that check_pe.py notices what it is there to notice.

    check_pe_faults.py EXE --arch x86|x64

Takes a good build of the program, damages one thing at a time in a copy and
expects exactly the check that guards that thing to fail, and only that one.
"""

import argparse
import os
import struct
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_pe  # noqa: E402

import pefile  # noqa: E402

EXE = None
ARCH = None


def utf16(s):
    return s.encode("utf-16-le")


class Damaged:
    """A copy of the good executable, patched through file offsets."""

    def __init__(self):
        with open(EXE, "rb") as f:
            self.data = bytearray(f.read())
        self.pe = pefile.PE(data=bytes(self.data))

    def resource_entry(self, kind, res_id):
        for t in self.pe.DIRECTORY_ENTRY_RESOURCE.entries:
            if t.id == kind:
                for n in t.directory.entries:
                    if n.id == res_id:
                        return n.directory.entries[0]
        raise LookupError("no resource %d/%d" % (kind, res_id))

    def resource_offset(self, kind, res_id):
        return self.pe.get_offset_from_rva(self.resource_entry(kind, res_id).data.struct.OffsetToData)

    def replace_in_resource(self, kind, res_id, old, new):
        assert len(old) == len(new)
        entry = self.resource_entry(kind, res_id)
        start = self.resource_offset(kind, res_id)
        at = self.data.find(old, start, start + entry.data.struct.Size)
        assert at >= 0, "%r not in resource %d/%d" % (old, kind, res_id)
        self.data[at:at + len(old)] = new

    def checks_failing(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "Trevanil.exe")
            with open(path, "wb") as f:
                f.write(self.data)
            results = check_pe.run_checks(path, ARCH)
        return {name for name, problems in results.items() if problems}


class CheckerCatchesFaults(unittest.TestCase):
    def assertOnlyFails(self, damaged, check):
        self.assertEqual(damaged.checks_failing(), {check})

    def test_good_build_passes(self):
        self.assertEqual(Damaged().checks_failing(), set())

    def test_other_machine(self):
        d = Damaged()
        other = {"x86": 0x8664, "x64": 0x014C}[ARCH]
        struct.pack_into("<H", d.data, d.pe.FILE_HEADER.get_file_offset(), other)
        self.assertOnlyFails(d, "machine")

    def test_console_subsystem(self):
        d = Damaged()
        offset = d.pe.OPTIONAL_HEADER.get_field_absolute_offset("Subsystem")
        struct.pack_into("<H", d.data, offset, 3)
        self.assertOnlyFails(d, "subsystem")

    def test_import_from_a_runtime_dll(self):
        d = Damaged()
        # msvcrt.dll becomes libcrt.dll, USER32.dll libR32.dll...
        entry = next(e for e in d.pe.DIRECTORY_ENTRY_IMPORT if e.dll.lower() != b"kernel32.dll")
        offset = d.pe.get_offset_from_rva(entry.struct.Name)
        d.data[offset:offset + 3] = b"lib"
        self.assertOnlyFails(d, "imports")

    def test_resource_in_another_language(self):
        d = Damaged()
        entry = d.resource_entry(check_pe.RT_MANIFEST, 1)
        struct.pack_into("<I", d.data, entry.struct.get_file_offset(), 0x0409)
        self.assertOnlyFails(d, "resource languages")

    def test_icon_with_wrong_bit_depth(self):
        d = Damaged()
        offset = d.resource_offset(check_pe.RT_ICON, 30002)
        struct.pack_into("<H", d.data, offset + 14, 24)  # biBitCount
        self.assertOnlyFails(d, "icon images")

    def test_icon_with_single_height(self):
        d = Damaged()
        offset = d.resource_offset(check_pe.RT_ICON, 30015)
        struct.pack_into("<i", d.data, offset + 8, 16)  # biHeight without the mask
        self.assertOnlyFails(d, "icon images")

    def test_large_icon_not_256(self):
        d = Damaged()
        offset = d.resource_offset(check_pe.RT_ICON, 30001)
        struct.pack_into(">I", d.data, offset + 16, 128)  # PNG width
        self.assertOnlyFails(d, "icon images")

    def test_group_lists_another_image(self):
        d = Damaged()
        offset = d.resource_offset(check_pe.RT_GROUP_ICON, check_pe.IDI_TREVANIL)
        struct.pack_into("<H", d.data, offset + 6 + 14 * 14 + 12, 30016)  # nID of the last entry
        self.assertOnlyFails(d, "icon group")

    def test_group_entry_with_wrong_depth(self):
        d = Damaged()
        offset = d.resource_offset(check_pe.RT_GROUP_ICON, check_pe.IDI_TREVANIL)
        struct.pack_into("<H", d.data, offset + 6 + 14 + 6, 24)  # wBitCount of the second entry
        self.assertOnlyFails(d, "icon group")

    def test_translation_not_spanish(self):
        d = Damaged()
        d.replace_in_resource(check_pe.RT_VERSION, 1, struct.pack("<HH", 0x0C0A, 1200), struct.pack("<HH", 0x0409, 1200))
        self.assertOnlyFails(d, "version record")

    def test_version_string(self):
        d = Damaged()
        other = check_pe.VERSION_TEXT[:-1] + ("1" if check_pe.VERSION_TEXT[-1] != "1" else "2")
        d.replace_in_resource(check_pe.RT_VERSION, 1, utf16(check_pe.VERSION_TEXT), utf16(other))
        self.assertOnlyFails(d, "version record")

    def test_version_number(self):
        d = Damaged()
        ms = check_pe.VERSION_FIXED[0]
        fixed = struct.pack("<III", 0xFEEF04BD, 0x00010000, ms)
        d.replace_in_resource(check_pe.RT_VERSION, 1, fixed, struct.pack("<III", 0xFEEF04BD, 0x00010000, ms ^ 1))
        self.assertOnlyFails(d, "version record")

    def test_manifest_not_elevated(self):
        d = Damaged()
        # Same length, still well-formed XML.
        d.replace_in_resource(check_pe.RT_MANIFEST, 1, b'level="requireAdministrator"', b'level="highestAvailable"    ')
        self.assertOnlyFails(d, "manifest")

    def test_manifest_system_aware_only(self):
        d = Damaged()
        d.replace_in_resource(check_pe.RT_MANIFEST, 1, b">true/pm<", b">true   <")
        self.assertOnlyFails(d, "manifest")

    def test_manifest_other_version(self):
        d = Damaged()
        own = b'name="Trevanil" version="' + ".".join(map(str, check_pe.VERSION)).encode()
        d.replace_in_resource(check_pe.RT_MANIFEST, 1, own, own[:-1] + (b"8" if own.endswith(b"9") else b"9"))
        self.assertOnlyFails(d, "manifest")


def main():
    global EXE, ARCH
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("exe")
    parser.add_argument("--arch", choices=sorted(check_pe.MACHINES), required=True)
    args, rest = parser.parse_known_args()
    EXE, ARCH = args.exe, args.arch
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
