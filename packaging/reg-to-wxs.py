#!/usr/bin/env python3
"""Writes the product's registry tree as WiX registry values, from the .reg
file the demo installation and the tests use, so the package and they keep
one tree:

    reg-to-wxs.py <corvantis.reg> <output.wxi>

The installed folder "C:\\Program Files\\Kelvaro\\Corvantis" becomes the
package's INSTALLDIR, its "Data" folder DataDir; "Language", "RunSetupWizard"
and "RunRegistration" take the package's properties of those names (LANGUAGE
and the marks an installed version kept), "Version" the package's version.
"""
import re
import sys
from xml.sax.saxutils import escape, quoteattr

ROOT = "HKEY_LOCAL_MACHINE\\"
FOLDER = "C:\\Program Files\\Kelvaro\\Corvantis"
PROPERTIES = {"Language": "[LANGUAGE]", "RunSetupWizard": "[RUNSETUPWIZARD]",
              "RunRegistration": "[RUNREGISTRATION]", "Version": "$(var.ProductVersionText)"}


def unquote(text):
    return re.sub(r"\\(.)", r"\1", text)


def installed(value):
    # Properties of folders end in a backslash.
    value = value.replace(FOLDER + "\\Data\\", "[DataDir]").replace(FOLDER + "\\Data", "[DataDir]")
    value = value.replace(FOLDER + "\\", "[INSTALLDIR]")
    return value.replace(FOLDER, "[INSTALLDIR]")


def convert(source, output):
    lines = ["<?xml version=\"1.0\" encoding=\"utf-8\"?>",
             "<!-- Written by packaging/reg-to-wxs.py from product/corvantis.reg. -->",
             "<Include>"]
    key = None
    first = True
    for raw in open(source, encoding="utf-8"):
        line = raw.strip()
        if not line or line.startswith(";") or line == "REGEDIT4":
            continue
        section = re.fullmatch(r"\[(.*)\]", line)
        if section:
            if not section.group(1).startswith(ROOT):
                sys.exit(f"{source}: only HKEY_LOCAL_MACHINE keys are installed: {line}")
            key = section.group(1)[len(ROOT):]
            continue
        value = re.fullmatch(r'"((?:[^"\\]|\\.)*)"="((?:[^"\\]|\\.)*)"', line)
        if not value or key is None:
            sys.exit(f"{source}: a line is not understood: {line}")
        name, text = unquote(value.group(1)), installed(unquote(value.group(2)))
        text = PROPERTIES.get(name, text)
        keypath = ' KeyPath="yes"' if first else ""
        first = False
        lines.append(f"  <RegistryValue Root=\"HKLM\" Key={quoteattr(key)} Name={quoteattr(name)}"
                     f" Type=\"string\" Value={quoteattr(text)}{keypath}/>")
    lines.append("</Include>")
    with open(output, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    convert(sys.argv[1], sys.argv[2])
