#!/usr/bin/env python3
"""Checks what a program file carries:
    CheckPyxenExe.py PYXEN_EXE VERSION
    CheckPyxenExe.py --guard PYXEN_GUARD_EXE MESSAGE_FILE"""
import sys

from PeFile import ReadPe
from ResourceChecks import CheckAll, CheckGuard


def Main():
    if len(sys.argv) != 3 and not (len(sys.argv) == 4 and sys.argv[1] == "--guard"):
        sys.exit(__doc__)
    guard = sys.argv[1] == "--guard"
    path = sys.argv[2] if guard else sys.argv[1]
    with open(path, "rb") as file:
        image = file.read()
    if guard:
        with open(sys.argv[3], encoding="utf-8") as file:
            problems = CheckGuard(image, file.read())
    else:
        problems = CheckAll(image, sys.argv[2])
    print(f"{path}: {len(image)} bytes")
    if not problems:
        print("imports: " + ", ".join(entry.name for entry in ReadPe(image).imports))
        print("message table in 0409 and 0411 as the message file says" if guard else
              "icon 101, version block 041104B0 and manifest as expected")
        return 0
    for problem in problems:
        print("FAIL " + problem)
    return 1


if __name__ == "__main__":
    sys.exit(Main())
