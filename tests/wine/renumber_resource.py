#!/usr/bin/env python3
"""Renumbers one bitmap resource of a PE file in place: renumber_resource.py FILE OLD NEW.

The GUI tests use it on a copy of the program to take a frame bitmap away (Wine's UpdateResourceW
cannot delete one). The directory's entries must stay sorted by id, so NEW must fall between OLD's
neighbours. Exits 1 with a message when the file or the resource is not as expected.
"""

import struct
import sys

RT_BITMAP = 2


def fail(message):
    sys.exit("renumber_resource: " + message)


def main(path, old, new):
    data = bytearray(open(path, "rb").read())
    u16 = lambda at: struct.unpack_from("<H", data, at)[0]
    u32 = lambda at: struct.unpack_from("<I", data, at)[0]
    pe = u32(0x3C) if data[:2] == b"MZ" and len(data) >= 0x40 else 0
    if data[pe:pe + 4] != b"PE\0\0":
        fail("not a PE file")
    optional = pe + 24
    resources = u32(optional + (96 if u16(optional) == 0x10B else 112) + 2 * 8)
    base = None
    sections = optional + u16(pe + 20)
    for section in range(sections, sections + 40 * u16(pe + 6), 40):
        size, address, raw_size, raw = struct.unpack_from("<IIII", data, section + 8)
        if address <= resources < address + max(size, raw_size):
            base = raw + resources - address
    if resources == 0 or base is None:
        fail("no resources")

    def entries(directory):  # (where, id) of the entries named by an id
        named, ids = struct.unpack_from("<HH", data, directory + 12)
        first = directory + 16 + 8 * named
        return [(at, u32(at)) for at in range(first, first + 8 * ids, 8)]

    bitmaps = [base + (u32(at + 4) & 0x7FFFFFFF) for at, id in entries(base) if id == RT_BITMAP]
    if not bitmaps:
        fail("no bitmap resources")
    listed = entries(bitmaps[0])
    ids = [id for _, id in listed]
    if old not in ids:
        fail("no bitmap %d" % old)
    if new in ids:
        fail("bitmap %d exists already" % new)
    index = ids.index(old)
    if (index > 0 and ids[index - 1] > new) or (index + 1 < len(ids) and ids[index + 1] < new):
        fail("%d would break the directory's order" % new)
    struct.pack_into("<I", data, listed[index][0], new)
    open(path, "wb").write(data)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        fail("usage: renumber_resource.py FILE OLD NEW")
    main(sys.argv[1], int(sys.argv[2]), int(sys.argv[3]))
