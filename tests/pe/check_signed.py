#!/usr/bin/python3
"""Checks that signing changed nothing but the signature.

    check_signed.py UNSIGNED.exe SIGNED.exe

The signed file must be the unsigned one with, and only with: the security
entry of the data directory pointing at a certificate table appended at the
end (after zero padding to 8 bytes), and the header checksum recomputed.
Prints what else differs and exits with 1 when anything does.
"""

import struct
import sys

import pefile

SECURITY = pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]
WIN_CERT_REVISION_2_0 = 0x0200
WIN_CERT_TYPE_PKCS_SIGNED_DATA = 0x0002


def fields(pe):
    """File offsets of the header checksum and of the security entry."""
    checksum = pe.OPTIONAL_HEADER.get_field_absolute_offset("CheckSum")
    security = pe.OPTIONAL_HEADER.DATA_DIRECTORY[SECURITY].get_file_offset()
    return set(range(checksum, checksum + 4)) | set(range(security, security + 8))


def problems(unsigned, signed):
    pe_unsigned = pefile.PE(data=unsigned, fast_load=True)
    pe_signed = pefile.PE(data=signed, fast_load=True)
    found = []
    if pe_unsigned.OPTIONAL_HEADER.DATA_DIRECTORY[SECURITY].Size:
        found.append("the unsigned file has a certificate table already")
    table = pe_signed.OPTIONAL_HEADER.DATA_DIRECTORY[SECURITY]
    start, size = table.VirtualAddress, table.Size  # a file offset, for this entry
    if size == 0:
        return found + ["the signed file has no certificate table"]

    n = len(unsigned)
    if not n <= start < len(signed) or start % 8 or start - n >= 8:
        found.append("certificate table at %d; the unsigned file ends at %d" % (start, n))
    elif any(signed[n:start]):
        found.append("the padding before the certificate table is not zero")
    if start + size != len(signed):
        found.append("certificate table ends at %d, the file at %d" % (start + size, len(signed)))
    if start + 8 <= len(signed):
        length, revision, kind = struct.unpack_from("<IHH", signed, start)
        # One entry, padded to 8 bytes: its length is the table's but for that padding.
        if not (size - 8 < length <= size and revision == WIN_CERT_REVISION_2_0
                and kind == WIN_CERT_TYPE_PKCS_SIGNED_DATA):
            found.append("certificate entry (length, revision, type) %d, 0x%04X, %d; wanted about %d, 0x0200, 2"
                         % (length, revision, kind, size))

    allowed = fields(pe_unsigned)
    changed = [i for i in range(min(n, len(signed))) if unsigned[i] != signed[i] and i not in allowed]
    if changed:
        found.append("%d more bytes differ, the first at offset %d" % (len(changed), changed[0]))
    if pe_signed.OPTIONAL_HEADER.CheckSum != pe_signed.generate_checksum():
        found.append("header checksum 0x%08X, the file's is 0x%08X"
                     % (pe_signed.OPTIONAL_HEADER.CheckSum, pe_signed.generate_checksum()))
    return found


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[2].strip())
    with open(sys.argv[1], "rb") as f:
        unsigned = f.read()
    with open(sys.argv[2], "rb") as f:
        signed = f.read()
    found = problems(unsigned, signed)
    for p in found:
        print("FAIL %s" % p)
    if not found:
        print("ok   only the signature differs")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
