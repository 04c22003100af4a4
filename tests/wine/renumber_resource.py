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
    print("renumber_resource: " + message, file=sys.stderr)
    sys.exit(1)


def main():
    if len(sys.argv) != 4:
        fail("usage: renumber_resource.py FILE OLD NEW")
    path, old, new = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    data = bytearray(open(path, "rb").read())
    if data[:2] != b"MZ" or len(data) < 0x40:
        fail("not a PE file")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        fail("no PE signature")
    sections, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    if resource_rva == 0:
        fail("no resources")

    table = optional + optional_size

    def file_offset(rva):
        for i in range(sections):
            virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from("<IIII", data, table + i * 40 + 8)
            if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
                return raw_pointer + rva - virtual_address
        fail("RVA 0x%x outside every section" % rva)

    base = file_offset(resource_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<HH", data, directory + 12)
        first = directory + 16
        return [first + i * 8 for i in range(named + ids)], named

    top, _ = entries(base)
    bitmaps = None
    for entry in top:
        name, target = struct.unpack_from("<II", data, entry)
        if name == RT_BITMAP and target & 0x80000000:
            bitmaps = base + (target & 0x7FFFFFFF)
    if bitmaps is None:
        fail("no bitmap resources")
    listed, named = entries(bitmaps)
    ids = [struct.unpack_from("<I", data, e)[0] for e in listed[named:]]
    if old not in ids:
        fail("no bitmap %d" % old)
    if new in ids:
        fail("bitmap %d exists already" % new)
    index = ids.index(old)
    if (index > 0 and ids[index - 1] > new) or (index + 1 < len(ids) and ids[index + 1] < new):
        fail("%d would break the directory's order" % new)
    struct.pack_into("<I", data, listed[named + index], new)
    open(path, "wb").write(data)


if __name__ == "__main__":
    main()
