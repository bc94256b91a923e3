#!/usr/bin/python3
"""Static checks of a built Trevanil.exe, read as a PE file on the host.

    check_pe.py EXE --arch x86|x64

Prints one line per check and exits with 1 when any check fails.
"""

import argparse
import os
import re
import struct
import sys
import xml.etree.ElementTree as ElementTree

import pefile

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
IDI_TREVANIL = 1
SPANISH_SPAIN = 0x0C0A

MACHINES = {"x86": (0x014C, 0x10B), "x64": (0x8664, 0x20B)}  # machine, optional header magic
SUBSYSTEM_WINDOWS_GUI = 2

ALLOWED_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "ole32.dll",
    "oleaut32.dll", "shell32.dll", "advapi32.dll", "msvcrt.dll",
}
ALLOWED_DLL_PREFIXES = ("api-ms-win-crt-",)

# Resource id: (pixels, bits per pixel); 30001 is the PNG one.
ICONS = {30001: (256, 32)}
for _n, _size in enumerate((64, 48, 40, 32, 24, 20, 16)):
    ICONS[30002 + _n] = (_size, 32)
    ICONS[30009 + _n] = (_size, 8)
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def project_version():
    """The version written in project() of the source tree's CMakeLists.txt: its
    four numbers, and the text the program shows (major.minor, two digits)."""
    cmake = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "CMakeLists.txt")
    with open(cmake, encoding="utf-8") as f:
        found = re.search(r"project\(Trevanil VERSION (\d+)\.(\d+)\.(\d+)\.(\d+)", f.read())
    numbers = tuple(int(n) for n in found.groups())
    return numbers, "%d.%02d" % numbers[:2]


VERSION, VERSION_TEXT = project_version()
VERSION_STRINGS = {
    "FileVersion": VERSION_TEXT,
    "ProductVersion": VERSION_TEXT,
    "ProductName": "Trevanil",
    "InternalName": "Trevanil",
    "OriginalFilename": "Trevanil.exe",
}
VERSION_FIXED = (VERSION[0] << 16 | VERSION[1], VERSION[2] << 16 | VERSION[3])
VOS__WINDOWS32, VFT_APP = 0x4, 0x1

COMMON_CONTROLS = "Microsoft.Windows.Common-Controls"
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}


class Image:
    """The parts of a PE file the checks read."""

    def __init__(self, path):
        self.pe = pefile.PE(path)
        # (type, name) -> {language: data}
        self.resources = {}
        root = getattr(self.pe, "DIRECTORY_ENTRY_RESOURCE", None)
        for kind in root.entries if root else []:
            for name in kind.directory.entries:
                for lang in name.directory.entries:
                    s = lang.data.struct
                    self.resources.setdefault((key(kind), key(name)), {})[lang.id] = \
                        self.pe.get_data(s.OffsetToData, s.Size)

    def of_type(self, kind):
        return {name: langs for (t, name), langs in self.resources.items() if t == kind}

    def one(self, kind, name):
        """The data of a resource, whatever its language; None when missing."""
        langs = self.resources.get((kind, name))
        return next(iter(langs.values())) if langs else None


def key(entry):
    return entry.id if entry.name is None else str(entry.name)


# ---------------------------------------------------------------- checks
# Each check returns a list of problems; an empty list is a pass.

def check_machine(image, arch):
    machine, magic = MACHINES[arch]
    found = (image.pe.FILE_HEADER.Machine, image.pe.OPTIONAL_HEADER.Magic)
    if found != (machine, magic):
        return ["machine 0x%04X, optional header 0x%03X; %s needs 0x%04X, 0x%03X" % (found + (arch, machine, magic))]
    return []


def check_subsystem(image, arch):
    subsystem = image.pe.OPTIONAL_HEADER.Subsystem
    return [] if subsystem == SUBSYSTEM_WINDOWS_GUI else ["subsystem %d, not Windows GUI (2)" % subsystem]


def check_imports(image, arch):
    names = []
    for attr in ("DIRECTORY_ENTRY_IMPORT", "DIRECTORY_ENTRY_DELAY_IMPORT"):
        names += [entry.dll.decode("ascii", "replace") for entry in getattr(image.pe, attr, [])]
    problems = ["imports %s, which is not a Windows system DLL" % n for n in names
                if n.lower() not in ALLOWED_DLLS and not n.lower().startswith(ALLOWED_DLL_PREFIXES)]
    if "kernel32.dll" not in (n.lower() for n in names):
        problems.append("no import from KERNEL32.dll")
    return problems


def check_languages(image, arch):
    problems = []
    for (kind, name), langs in sorted(image.resources.items(), key=str):
        if list(langs) != [SPANISH_SPAIN]:
            problems.append("resource type %s id %s in language(s) %s, not only 0x0C0A"
                            % (kind, name, ", ".join("0x%04X" % lang for lang in langs)))
    return problems


def dib_problems(data, size, bits):
    if len(data) < 40:
        return ["%d bytes, shorter than a BITMAPINFOHEADER" % len(data)]
    hsize, width, height, planes, bitcount, compression, _, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", data)
    found = (hsize, width, height, planes, bitcount, compression)
    wanted = (40, size, 2 * size, 1, bits, 0)
    if found != wanted:
        return ["header (size, width, height, planes, bits, compression) %s, wanted %s" % (found, wanted)]
    palette = 4 * (used or 256) if bits == 8 else 0
    stride = (size * bits // 8 + 3) // 4 * 4
    mask_stride = (size + 31) // 32 * 4
    length = 40 + palette + stride * size + mask_stride * size
    if len(data) != length:
        return ["%d bytes; header, palette, colour and mask make %d" % (len(data), length)]
    problems = []
    mask = data[length - mask_stride * size:]
    rows = [mask[r * mask_stride: r * mask_stride + (size + 7) // 8] for r in range(size)]
    bits_set = sum(bin(b).count("1") for row in rows for b in row)
    if bits_set == 0 or bits_set >= size * size:
        problems.append("AND mask is all %s" % ("opaque" if bits_set == 0 else "transparent"))
    if bits == 32:
        alpha = data[40 + 3: 40 + stride * size: 4]
        if 0 not in alpha or 255 not in alpha:
            problems.append("alpha channel has no fully transparent or no fully opaque pixel")
    return problems


def png_problems(data, size):
    if not data.startswith(PNG_SIGNATURE) or data[12:16] != b"IHDR":
        return ["not a PNG"]
    width, height, depth, colour = struct.unpack_from(">IIBB", data, 16)
    if (width, height, depth, colour) != (size, size, 8, 6):
        return ["PNG %dx%d, depth %d, colour type %d; wanted %dx%d RGBA 8 bits"
                % (width, height, depth, colour, size, size)]
    return []


def check_icons(image, arch):
    icons = image.of_type(RT_ICON)
    problems = []
    if set(icons) != set(ICONS):
        problems.append("icon images %s, wanted %d to %d" % (sorted(icons, key=str), min(ICONS), max(ICONS)))
    for res_id, (size, bits) in sorted(ICONS.items()):
        data = image.one(RT_ICON, res_id)
        if data is None:
            continue
        found = png_problems(data, size) if size == 256 else dib_problems(data, size, bits)
        problems += ["icon %d (%d px, %d bpp): %s" % (res_id, size, bits, p) for p in found]
    return problems


def check_icon_group(image, arch):
    groups = image.of_type(RT_GROUP_ICON)
    if list(groups) != [IDI_TREVANIL]:
        return ["icon groups %s, wanted exactly one with id %d" % (sorted(groups, key=str), IDI_TREVANIL)]
    data = image.one(RT_GROUP_ICON, IDI_TREVANIL)
    if len(data) < 6:
        return ["group directory of %d bytes" % len(data)]
    reserved, kind, count = struct.unpack_from("<HHH", data)
    if (reserved, kind, len(data)) != (0, 1, 6 + 14 * count):
        return ["group header (reserved %d, type %d, %d entries) does not match its %d bytes"
                % (reserved, kind, count, len(data))]
    problems = []
    listed = []
    for n in range(count):
        width, height, colours, _, planes, bits, length, res_id = struct.unpack_from("<BBBBHHIH", data, 6 + 14 * n)
        listed.append(res_id)
        if res_id not in ICONS:
            continue
        size, wanted_bits = ICONS[res_id]
        side = 0 if size == 256 else size
        if (width, height, colours, planes, bits) != (side, side, 0, 1, wanted_bits):
            problems.append("entry for %d says %dx%d, %d colours, %d planes, %d bpp; wanted %dx%d, 0, 1, %d"
                            % (res_id, width, height, colours, planes, bits, side, side, wanted_bits))
        image_data = image.one(RT_ICON, res_id)
        if image_data is not None and length != len(image_data):
            problems.append("entry for %d says %d bytes, the image has %d" % (res_id, length, len(image_data)))
    if sorted(listed) != sorted(ICONS):
        problems.append("group lists %s, wanted each of %d to %d once" % (listed, min(ICONS), max(ICONS)))
    return problems


def version_node(data, offset):
    """One VS_VERSIONINFO-style node: (key, value bytes, is_text, children)."""
    length, value_length, is_text = struct.unpack_from("<HHH", data, offset)
    if length < 6 or offset + length > len(data):
        raise ValueError("bad node length %d at %d" % (length, offset))
    end = offset + length
    pos = offset + 6
    key_end = pos
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    name = data[pos:key_end].decode("utf-16-le")
    pos = (key_end + 2 + 3) & ~3
    value_size = value_length * 2 if is_text else value_length
    value = data[pos:pos + value_size]
    pos = (pos + value_size + 3) & ~3
    children = []
    while pos < end:
        child, child_length = version_node(data, pos)
        children.append(child)
        pos = (pos + child_length + 3) & ~3
    return (name, value, is_text, children), length


def text(value):
    return value.decode("utf-16-le").rstrip("\0")


def check_version(image, arch):
    records = image.of_type(RT_VERSION)
    if list(records) != [1]:
        return ["version records %s, wanted one with id 1" % sorted(records, key=str)]
    try:
        (name, fixed, _, children), _ = version_node(image.one(RT_VERSION, 1), 0)
    except (ValueError, UnicodeDecodeError, struct.error) as error:
        return ["version record unreadable: %s" % error]
    problems = []
    if name != "VS_VERSION_INFO" or len(fixed) != 52:
        return ["root %r with %d bytes of fixed info" % (name, len(fixed))]
    (signature, _, file_ms, file_ls, product_ms, product_ls, _, _, file_os, file_type, _, _, _) = \
        struct.unpack("<13I", fixed)
    if signature != 0xFEEF04BD:
        problems.append("fixed info signature 0x%08X" % signature)
    if (file_ms, file_ls) != VERSION_FIXED or (product_ms, product_ls) != VERSION_FIXED:
        problems.append("file version %08X.%08X, product version %08X.%08X; wanted %s"
                        % (file_ms, file_ls, product_ms, product_ls, ".".join(map(str, VERSION))))
    if (file_os, file_type) != (VOS__WINDOWS32, VFT_APP):
        problems.append("file OS 0x%X, type %d; wanted VOS__WINDOWS32, VFT_APP" % (file_os, file_type))

    blocks = {child[0]: child[3] for child in children}
    tables = {table[0]: table[3] for table in blocks.get("StringFileInfo", [])}
    if list(tables) != ["0C0A04B0"]:
        problems.append("string tables %s, wanted only 0C0A04B0" % list(tables))
    strings = {s[0]: text(s[1]) for s in tables.get("0C0A04B0", [])}
    for field, wanted in VERSION_STRINGS.items():
        if strings.get(field) != wanted:
            problems.append("%s is %r, wanted %r" % (field, strings.get(field), wanted))
    if not strings.get("FileDescription"):
        problems.append("no FileDescription")
    translations = [struct.unpack("<%dH" % (len(v[1]) // 2), v[1])
                    for v in blocks.get("VarFileInfo", []) if v[0] == "Translation"]
    if translations != [(SPANISH_SPAIN, 1200)]:
        problems.append("Translation %s, wanted 0x0C0A, 1200"
                        % ["(%s)" % ", ".join("0x%04X" % n for n in t) for t in translations])
    return problems


def local(tag):
    return tag.rsplit("}", 1)[-1]


def check_manifest(image, arch):
    manifests = image.of_type(RT_MANIFEST)
    count = sum(len(langs) for langs in manifests.values())
    if list(manifests) != [1] or count != 1:
        return ["%d manifest(s) with ids %s; wanted exactly one, id 1" % (count, sorted(manifests, key=str))]
    try:
        root = ElementTree.fromstring(image.one(RT_MANIFEST, 1))
    except ElementTree.ParseError as error:
        return ["manifest is not XML: %s" % error]
    found = {}
    for element in root.iter():
        found.setdefault(local(element.tag), []).append(element)
    problems = []

    levels = [(e.get("level"), e.get("uiAccess")) for e in found.get("requestedExecutionLevel", [])]
    if levels != [("requireAdministrator", "false")]:
        problems.append("requestedExecutionLevel %s, wanted requireAdministrator, uiAccess false" % levels)

    aware = [(e.text or "").strip() for e in found.get("dpiAware", [])]
    if aware != ["true/pm"]:
        problems.append("dpiAware %s, wanted true/pm" % aware)
    awareness = [[w.strip() for w in (e.text or "").split(",")] for e in found.get("dpiAwareness", [])]
    if awareness != [["PerMonitorV2", "PerMonitor"]]:
        problems.append("dpiAwareness %s, wanted PerMonitorV2, PerMonitor" % awareness)

    own = [e.get("version") for e in found.get("assemblyIdentity", []) if e.get("name") == "Trevanil"]
    if own != [".".join(map(str, VERSION))]:
        problems.append("the program's assemblyIdentity version %s, wanted %s" % (own, ".".join(map(str, VERSION))))

    controls = [e for e in found.get("assemblyIdentity", []) if e.get("name") == COMMON_CONTROLS]
    if [e.get("version") for e in controls] != ["6.0.0.0"]:
        problems.append("no dependency on %s 6.0.0.0" % COMMON_CONTROLS)

    systems = {(e.get("Id") or "").lower() for e in found.get("supportedOS", [])}
    if systems != SUPPORTED_OS:
        problems.append("supportedOS %s, wanted Vista, 7, 8, 8.1 and 10" % sorted(systems))
    return problems


CHECKS = [
    ("machine", check_machine),
    ("subsystem", check_subsystem),
    ("imports", check_imports),
    ("resource languages", check_languages),
    ("icon images", check_icons),
    ("icon group", check_icon_group),
    ("version record", check_version),
    ("manifest", check_manifest),
]


def run_checks(path, arch):
    """{check name: [problems]} for every check."""
    image = Image(path)
    return {name: check(image, arch) for name, check in CHECKS}


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("exe")
    parser.add_argument("--arch", choices=sorted(MACHINES), required=True)
    args = parser.parse_args(argv)
    results = run_checks(args.exe, args.arch)
    for name, problems in results.items():
        print("%-4s %s" % ("ok" if not problems else "FAIL", name))
        for problem in problems:
            print("       " + problem)
    failed = [name for name, problems in results.items() if problems]
    print("%d of %d checks failed" % (len(failed), len(results)) if failed else "all %d checks passed" % len(results))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
