#!/usr/bin/env python3
# Renumbers one bitmap resource of a PE file in place: renumber_resource.py FILE OLD NEW. The GUI tests
# take a frame bitmap away with it (Wine's UpdateResourceW cannot delete one). The directory's entries
# must stay sorted by id, so NEW must fall between OLD's neighbours.
import struct
import sys

RT_BITMAP = 2


def main(path, old, new):
    data = bytearray(open(path, "rb").read())
    u16 = lambda at: struct.unpack_from("<H", data, at)[0]
    u32 = lambda at: struct.unpack_from("<I", data, at)[0]
    pe = u32(0x3C)
    optional = pe + 24
    resources = u32(optional + (96 if u16(optional) == 0x10B else 112) + 2 * 8)
    sections = optional + u16(pe + 20)
    for section in range(sections, sections + 40 * u16(pe + 6), 40):
        size, address, raw_size, raw = struct.unpack_from("<IIII", data, section + 8)
        if address <= resources < address + max(size, raw_size):
            base = raw + resources - address

    def entries(directory):  # (where, id) of the entries named by an id
        named, ids = struct.unpack_from("<HH", data, directory + 12)
        first = directory + 16 + 8 * named
        return [(at, u32(at)) for at in range(first, first + 8 * ids, 8)]

    bitmaps = next(base + (u32(at + 4) & 0x7FFFFFFF) for at, id in entries(base) if id == RT_BITMAP)
    listed = dict((id, at) for at, id in entries(bitmaps))
    ids = sorted(listed)
    at = ids.index(old) if old in listed else -1
    if at < 0 or (at > 0 and ids[at - 1] >= new) or (at + 1 < len(ids) and ids[at + 1] <= new):
        sys.exit("renumber_resource: no bitmap %d, or %d would break the directory's order" % (old, new))
    struct.pack_into("<I", data, listed[old], new)
    open(path, "wb").write(data)


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]), int(sys.argv[3]))
