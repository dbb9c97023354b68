#!/usr/bin/env python3
"""Writes a product text file as the installer leaves it on the machine.

    ansi-text.py <language> <source> <destination>

The product's texts are kept in UTF-8; the programs read them through the
ANSI profile and file functions, in the code page of the user's language:
932 for Japanese, 1252 for the others. Lines get Windows line ends.
prodinfo.ini holds every language at once, so there each section
"Global Strings: <language>" is written in that language's code page and the
rest in 1252, whatever language is installed.
"""
import os
import re
import sys

CODE_PAGES = {"JPN": "cp932"}
WESTERN = "cp1252"


def code_page(language):
    return CODE_PAGES.get(language, WESTERN)


def convert(language, source, destination):
    text = open(source, encoding="utf-8").read()
    per_section = os.path.basename(source).lower() == "prodinfo.ini"
    page = WESTERN if per_section else code_page(language)
    out = bytearray()
    for line in text.splitlines():
        if per_section and line.startswith("["):
            m = re.match(r"\[Global Strings: (\w+)\]", line)
            page = code_page(m.group(1)) if m else WESTERN
        # A character the code page lacks would reach the programs as "?".
        out += line.encode(page, errors="strict") + b"\r\n"
    with open(destination, "wb") as f:
        f.write(bytes(out))


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    convert(sys.argv[1], sys.argv[2], sys.argv[3])
