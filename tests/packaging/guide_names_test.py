#!/usr/bin/env python3
"""The guides' faxcfg options and package properties against the program's
own lists: each "/option" after "faxcfg" on a line of docs/*.md must be in
faxcfg's usage text (kUsage in faxcfg/faxcfg.cpp), and each name in the
first column of a property table (a table whose header names "property")
must be in SecureCustomProperties (packaging/make-msi.sh) or be a Property
of packaging/corvantis.wxs.

    guide_names_test.py <source folder>
"""
import glob
import os
import re
import sys


def main(source):
    read = lambda *p: open(os.path.join(source, *p), encoding="utf-8").read()
    usage = re.search(r"const char kUsage\[\]\s*=(.*?);\n", read("faxcfg", "faxcfg.cpp"), re.S).group(1)
    options = set(re.findall(r"(?<![\w/])/(\w+|\?)", usage))
    secure = re.search(r"((?:[A-Z]+;)+[A-Z]+)' WHERE Property = 'SecureCustomProperties'", read("packaging", "make-msi.sh"))
    properties = set(secure.group(1).split(";"))
    properties |= set(re.findall(r'<Property Id="(\w+)"', read("packaging", "corvantis.wxs")))
    failures, checked = [], 0
    for path in sorted(glob.glob(os.path.join(source, "docs", "*.md"))):
        in_table = False
        for number, line in enumerate(open(path, encoding="utf-8"), 1):
            where = f"{os.path.relpath(path, source)}:{number}"
            for tail in re.findall(r"faxcfg(?:\.exe\"?)?((?:\s+[^\s]+)*)", line):
                for option in re.findall(r"(?<![\w/:\\.])/(\w+|\?)", tail):
                    checked += 1
                    if option.lower() not in options:
                        failures.append(f"{where}: faxcfg /{option} is not in faxcfg's usage text")
            if line.startswith("|"):
                cells = [c.strip() for c in line.strip().strip("|").split("|")]
                if cells[0].lower() == "property":
                    in_table = True
                elif in_table and not set(cells[0]) <= set("-: "):
                    for name in re.findall(r"`([A-Z][A-Z0-9_]+)`", cells[0]):
                        checked += 1
                        if name not in properties:
                            failures.append(f"{where}: property {name} is not one of the package's")
            else:
                in_table = False
    for failure in failures:
        print(failure)
    print(f"{checked} names checked, {len(failures)} unknown")
    return 1 if failures or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
