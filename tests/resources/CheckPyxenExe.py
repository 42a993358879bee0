#!/usr/bin/env python3
"""Checks what pyxen.exe carries: CheckPyxenExe.py PYXEN_EXE VERSION ARCH"""
import sys

from PeFile import ReadPe
from ResourceChecks import CheckAll


def Main():
    if len(sys.argv) != 4:
        sys.exit("usage: CheckPyxenExe.py PYXEN_EXE VERSION ARCH")
    with open(sys.argv[1], "rb") as file:
        image = file.read()
    problems = CheckAll(image, sys.argv[2], sys.argv[3])
    print(f"{sys.argv[1]}: {len(image)} bytes, for {sys.argv[3]}")
    if not problems:
        print("imports: " + ", ".join(f"{entry.name} ({len(entry.functions)} functions)"
                                      for entry in ReadPe(image).imports))
        print("icon 101, version block 041104B0 and manifest as expected")
        return 0
    for problem in problems:
        print("FAIL " + problem)
    return 1


if __name__ == "__main__":
    sys.exit(Main())
