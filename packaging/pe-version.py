#!/usr/bin/env python3
"""Prints the file version of a Windows program or DLL and the language of
its texts (its VERSIONINFO resource, as the File table of a package takes
them: "a.b.c.d 1033"), or nothing when the file has none:

    pe-version.py <file>
"""
import struct
import sys

SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def version(path):
    data = open(path, "rb").read()
    if data[:2] != b"MZ":
        return None
    # VS_FIXEDFILEINFO follows the "VS_VERSION_INFO" key, 32-bit aligned.
    key = "VS_VERSION_INFO".encode("utf-16-le")
    at = data.find(key)
    while at >= 0:
        fixed = at + len(key) + 2
        fixed += (4 - fixed % 4) % 4
        if data[fixed:fixed + 4] == SIGNATURE:
            ms, ls = struct.unpack_from("<II", data, fixed + 8)
            found = f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
            # VarFileInfo's "Translation": language id, then code page.
            translation = data.find("Translation".encode("utf-16-le"), fixed)
            if translation >= 0:
                value = translation + len("Translation".encode("utf-16-le")) + 2
                value += (4 - value % 4) % 4
                found += f" {struct.unpack_from('<H', data, value)[0]}"
            return found
        at = data.find(key, at + 1)
    return None


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    found = version(sys.argv[1])
    if found:
        print(found)
