#!/usr/bin/env python3
"""Puts the enumerations of a compiled type library after its interfaces and
classes, keeping the order within each group, and marks its texts as English.

The IDL compiler places an enumeration where it is first referenced, which
puts a library's enumerations before the interfaces that use them. The
libraries list their interfaces and classes first, then their enumerations.
Type infos are fixed-size records addressed by offset; moving one means
rewriting every offset that names it: type descriptions, implemented-interface
references, and the name and GUID hash entries.

The header holds two locales: that of the texts (offset 0x0C), which the
IDL compiler leaves 0 and the libraries mark as English (0x0409), and the
library's own (offset 0x10), which the platform reports in the library's
attributes and registers it under: 0, language-neutral, from the IDL.

    typelib_order.py <in.tlb> <out.tlb>
"""
import struct
import sys

TYPEINFO_SIZE = 0x64
TKIND_ENUM = 0
TEXT_LOCALE_AT = 0x0C
ENGLISH = 0x0409
VT_USERDEFINED = 29


def main(source, target):
    data = bytearray(open(source, "rb").read())
    if data[:4] != b"MSFT":
        sys.exit("not a type library: " + source)
    struct.pack_into("<I", data, TEXT_LOCALE_AT, ENGLISH)
    varflags = struct.unpack_from("<I", data, 0x14)[0]
    count = struct.unpack_from("<I", data, 0x20)[0]
    offsets_at = 0x54 + (4 if varflags & 0x100 else 0)
    segments_at = offsets_at + 4 * count
    segment = [struct.unpack_from("<iiii", data, segments_at + 16 * i) for i in range(15)]
    # Segments: 0 type infos, 3 references, 5 GUIDs, 7 names, 9 type descriptions.
    typeinfo_base = segment[0][0]

    kinds = [struct.unpack_from("<I", data, typeinfo_base + i * TYPEINFO_SIZE)[0] & 0xF for i in range(count)]
    order = [i for i in range(count) if kinds[i] != TKIND_ENUM] + [i for i in range(count) if kinds[i] == TKIND_ENUM]
    if order == list(range(count)):
        open(target, "wb").write(data)
        return
    moved = {old * TYPEINFO_SIZE: new * TYPEINFO_SIZE for new, old in enumerate(order)}

    records = [bytes(data[typeinfo_base + i * TYPEINFO_SIZE: typeinfo_base + (i + 1) * TYPEINFO_SIZE]) for i in range(count)]
    for new, old in enumerate(order):
        data[typeinfo_base + new * TYPEINFO_SIZE: typeinfo_base + (new + 1) * TYPEINFO_SIZE] = records[old]

    def remap(position):
        value = struct.unpack_from("<i", data, position)[0]
        if value in moved:
            struct.pack_into("<i", data, position, moved[value])

    # Type descriptions: (0x7fff << 16 | VT_USERDEFINED, typeinfo offset) pairs.
    offset, length = segment[9][0], segment[9][1]
    for entry in range(offset, offset + length, 8):
        if struct.unpack_from("<I", data, entry)[0] & 0xFFFF == VT_USERDEFINED:
            remap(entry + 4)
    # Implemented-interface references: {reftype, flags, custom data, next}.
    offset, length = segment[3][0], segment[3][1]
    for entry in range(offset, offset + length, 16):
        remap(entry)
    # GUID entries: {guid (16), hreftype, next hash}.
    offset, length = segment[5][0], segment[5][1]
    for entry in range(offset, offset + length, 24):
        remap(entry + 16)
    # Name entries: {hreftype, next hash, length and flags, name padded to 4}.
    offset, length = segment[7][0], segment[7][1]
    entry = offset
    while entry < offset + length:
        remap(entry)
        name_length = data[entry + 8]
        entry += 12 + ((name_length + 3) & ~3)
    open(target, "wb").write(data)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
