"""What pyxen.exe, pyxen-guard.exe and pyxen-check.exe must carry, checked from outside
the file, for the build (i686 or x86_64) each comes from.

Each check takes the file's bytes (and what PeFile read from them) and returns a list
of problems in words; an empty list means the check passed.
"""
import re
import struct
import xml.etree.ElementTree as ElementTree

from PeFile import (PE32, PE32_PLUS, RT_GROUP_ICON, RT_ICON, RT_MANIFEST, RT_MESSAGETABLE,
                    RT_VERSION, PeError, ReadPe)

IMAGE_FILE_MACHINE_I386 = 0x14C
IMAGE_FILE_MACHINE_AMD64 = 0x8664
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
IMAGE_SUBSYSTEM_WINDOWS_CUI = 3
SUBSYSTEMS = {IMAGE_SUBSYSTEM_WINDOWS_GUI: "the Windows GUI (2)",
              IMAGE_SUBSYSTEM_WINDOWS_CUI: "the console (3)"}
LANGUAGE_JAPANESE = 0x411
PROGRAM_ICON = 101
ABSENT_CLASS_ICON = 32512
# pyxen.exe is about 30 KB in either build. What the limit catches is a part of the C++
# library pulled in by mistake (iostreams, exceptions' unwinding), which adds hundreds of
# KB.
SIZE_LIMIT = 128 * 1024
# pyxen-guard.exe, with its message table in two languages and the other desktops' part,
# is about 120 (x86_64) and 135 KB (i686): the same mistake takes it far past this.
GUARD_SIZE_LIMIT = 192 * 1024
# pyxen-check.exe carries the C++ library's strings and containers, about 260 KB
# (x86_64) and 340 KB (i686); iostreams would take it far past this.
CHECKER_SIZE_LIMIT = 512 * 1024

# What the programs of each build are: processor, optional header, and the words for both.
ARCHITECTURES = {
    "i686": (IMAGE_FILE_MACHINE_I386, PE32, "i386 with PE32"),
    "x86_64": (IMAGE_FILE_MACHINE_AMD64, PE32_PLUS, "AMD64 with PE32+"),
}
# Wine keeps the heap below 4 GB, so under Wine only a 64-bit image based above it makes
# a pointer cut to 32 bits fault at once, where the tests see it.
FOUR_GB = 1 << 32

# DLLs every Windows installation has; anything else (the MinGW runtime DLLs above
# all) would have to be shipped beside pyxen.exe.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll",
    "shell32.dll", "ole32.dll", "oleaut32.dll", "comctl32.dll", "ntdll.dll",
    "shlwapi.dll", "version.dll", "ws2_32.dll", "winmm.dll", "comdlg32.dll",
    "wtsapi32.dll", "userenv.dll",
}

SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "10 and 11",
}


def CheckHeaders(image, pe, arch, subsystem=IMAGE_SUBSYSTEM_WINDOWS_GUI, sizeLimit=SIZE_LIMIT):
    problems = []
    machine, magic, words = ARCHITECTURES[arch]
    if (pe.machine, pe.magic) != (machine, magic):
        problems.append(f"machine {pe.machine:#x} with optional header {pe.magic:#x}, "
                        f"not {words} for {arch}")
    elif magic == PE32_PLUS and pe.imageBase < FOUR_GB:
        problems.append(f"image base {pe.imageBase:#x} below 4 GB")
    if pe.subsystem != subsystem:
        problems.append(f"subsystem {pe.subsystem}, not {SUBSYSTEMS[subsystem]}")
    if len(image) >= sizeLimit:
        problems.append(f"size {len(image)} bytes, not under {sizeLimit}")
    return problems


def CheckImports(image, pe):
    if not pe.imports:
        return ["imports no DLL at all: not a linked Win32 program"]
    problems = [f"imports {entry.name}, which is not a Windows system DLL"
                for entry in pe.imports if entry.name.lower() not in SYSTEM_DLLS]
    # A system DLL's numbering of its functions is its own and changes between versions.
    return problems + [f"imports function {function} of {entry.name} by number"
                       for entry in pe.imports for function in entry.functions
                       if isinstance(function, int)]


def DecodeIcon(image):
    """The pixels of a 4-bit icon image as rows of (red, green, blue), or None
    where the AND mask makes the pixel transparent; top row first."""
    size, width, doubleHeight, planes, bits = struct.unpack_from("<IiiHH", image, 0)
    if (size, width, doubleHeight, planes, bits) != (40, 32, 64, 1, 4):
        raise PeError(f"icon image header {size, width, doubleHeight, planes, bits}, "
                      "not a 32 x 32 image in 4 bits per pixel")
    palette = [struct.unpack_from("<BBB", image, 40 + 4 * i)[::-1] for i in range(16)]
    colourAt = 40 + 64
    maskAt = colourAt + 32 * 16
    if len(image) < maskAt + 32 * 4:
        raise PeError("icon image shorter than its pixels and mask")
    rows = []
    for y in range(32):
        stored = 31 - y  # bottom-up
        row = []
        for x in range(32):
            byte = image[colourAt + stored * 16 + x // 2]
            colour = palette[byte >> 4 if x % 2 == 0 else byte & 15]
            transparent = image[maskAt + stored * 4 + x // 8] >> (7 - x % 8) & 1
            row.append(None if transparent else colour)
        rows.append(row)
    return rows


def IsRed(pixel):
    return pixel is not None and pixel[0] >= 0x80 and pixel[1] <= 0x40 and pixel[2] <= 0x40


def CheckCrossPicture(pixels):
    problems = []
    for i in range(2, 30):
        for x, y in ((i, i), (31 - i, i)):
            if not IsRed(pixels[y][x]):
                problems.append(f"icon pixel ({x},{y}) on a diagonal is {pixels[y][x]}, not red")
    # The four areas between the arms, along each edge and a little inside.
    samples = [(x, y) for x in (10, 15, 16, 21) for y in (0, 3)]
    for x, y in samples:
        for px, py in ((x, y), (x, 31 - y), (y, x), (31 - y, x)):
            if pixels[py][px] is not None:
                problems.append(f"icon pixel ({px},{py}) between the arms is not transparent")
    for y, row in enumerate(pixels):
        for x, pixel in enumerate(row):
            if pixel is not None and not (pixel[0] >= 0x80 and pixel[0] > 2 * max(pixel[1:])):
                problems.append(f"icon pixel ({x},{y}) is {pixel}, not a red")
    return problems[:10]


def CheckIcon(image, pe):
    problems = []
    groups = pe.Find(RT_GROUP_ICON)
    if [(g.name, g.language) for g in groups] != [(PROGRAM_ICON, LANGUAGE_JAPANESE)]:
        problems.append("icon groups are " + str([(g.name, hex(g.language)) for g in groups])
                        + f", not exactly {PROGRAM_ICON} in language {LANGUAGE_JAPANESE:#x}")
    if pe.Find(RT_GROUP_ICON, ABSENT_CLASS_ICON) or pe.Find(RT_ICON, ABSENT_CLASS_ICON):
        problems.append(f"icon {ABSENT_CLASS_ICON} is present; the window class must not find it")
    icons = pe.Find(RT_ICON)
    if len(icons) != 1:
        problems.append(f"{len(icons)} icon images, not exactly one")
    group = pe.Find(RT_GROUP_ICON, PROGRAM_ICON)
    if not group:
        return problems
    directory = group[0].Data(image)
    reserved, type, count = struct.unpack_from("<HHH", directory, 0)
    if (reserved, type, count) != (0, 1, 1):
        return problems + [f"icon group {PROGRAM_ICON} holds {count} images, not one"]
    width, height, colours, _, planes, bits, _, iconId = struct.unpack_from(
        "<BBBBHHIH", directory, 6)
    if (width, height, colours, planes, bits) != (32, 32, 16, 1, 4):
        problems.append(f"icon group entry {width}x{height}, {colours} colours, "
                        f"{bits} bits per pixel: not 32x32 in 16 colours")
    images = pe.Find(RT_ICON, iconId)
    if not images:
        return problems + [f"icon image {iconId} named by group {PROGRAM_ICON} is missing"]
    if images[0].language != LANGUAGE_JAPANESE:
        problems.append(f"icon image {iconId} in language {images[0].language:#x}")
    try:
        pixels = DecodeIcon(images[0].Data(image))
    except (PeError, struct.error) as error:
        return problems + [str(error)]
    return problems + CheckCrossPicture(pixels)


def ReadVersionNode(data, offset):
    """One node of a version block: (key, value bytes, value type, children)."""
    length, valueLength, valueType = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    at = offset + 6
    keyEnd = at
    while data[keyEnd:keyEnd + 2] != b"\0\0":
        keyEnd += 2
    key = data[at:keyEnd].decode("utf-16-le")
    at = (keyEnd + 2 + 3) & ~3
    valueSize = valueLength * 2 if valueType == 1 else valueLength
    value = data[at:at + valueSize]
    at = (at + valueSize + 3) & ~3
    children = []
    while at < end:
        child = ReadVersionNode(data, at)
        children.append(child[:4])
        at = (at + child[4] + 3) & ~3
    return key, value, valueType, children, length


def VersionText(value):
    return value.decode("utf-16-le").rstrip("\0")


def CheckVersion(image, pe, version):
    blocks = pe.Find(RT_VERSION)
    if len(blocks) != 1:
        return [f"{len(blocks)} version blocks, not one"]
    problems = []
    if blocks[0].language != LANGUAGE_JAPANESE:
        problems.append(f"version block in language {blocks[0].language:#x}")
    try:
        key, fixed, _, children, _ = ReadVersionNode(blocks[0].Data(image), 0)
    except (struct.error, UnicodeDecodeError) as error:
        return problems + [f"version block unreadable: {error}"]
    if key != "VS_VERSION_INFO" or len(fixed) < 52:
        return problems + ["version block without VS_VERSION_INFO and its fixed part"]
    signature, _, fileHigh, fileLow, productHigh, productLow = struct.unpack_from(
        "<IIIIII", fixed, 0)
    numbers = [int(part) for part in version.split(".")] + [0] * 4
    wanted = (numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3])
    if signature != 0xFEEF04BD:
        problems.append("fixed file information without its signature")
    if (fileHigh, fileLow) != wanted or (productHigh, productLow) != wanted:
        problems.append(f"fixed file and product versions are not {version}")
    tables = {}
    translation = None
    for childKey, _, _, grandChildren in children:
        if childKey == "StringFileInfo":
            for tableKey, _, _, strings in grandChildren:
                tables[tableKey] = {name: VersionText(value) for name, value, _, _ in strings}
        elif childKey == "VarFileInfo":
            for name, value, _, _ in grandChildren:
                if name == "Translation":
                    translation = value
    if list(tables) != ["041104B0"]:
        return problems + [f"string tables {list(tables)}, not exactly 041104B0"]
    strings = tables["041104B0"]
    for name, expected in (("ProductName", "Pyxen"), ("FileVersion", version),
                           ("ProductVersion", version)):
        if strings.get(name) != expected:
            problems.append(f"{name} is {strings.get(name)!r}, not {expected!r}")
    if not strings.get("FileDescription"):
        problems.append("no FileDescription")
    if translation != struct.pack("<HH", LANGUAGE_JAPANESE, 1200):
        problems.append(f"Translation is {translation!r}, not 0x0411 1200")
    return problems


def LocalName(tag):
    return tag.rsplit("}", 1)[-1]


def CheckManifestText(text):
    try:
        root = ElementTree.fromstring(text)
    except ElementTree.ParseError as error:
        return [f"manifest is not well-formed XML: {error}"]
    problems = []
    elements = list(root.iter())
    levels = [e.get("level") for e in elements
              if LocalName(e.tag) == "requestedExecutionLevel"]
    if levels != ["asInvoker"]:
        problems.append(f"requested execution levels {levels}, not just asInvoker")
    if any(LocalName(e.tag) == "activeCodePage" for e in elements):
        problems.append("manifest sets activeCodePage: GetWindowTextA would return other bytes")
    dpi = [(e.text or "").strip().lower() for e in elements
           if LocalName(e.tag) in ("dpiAware", "dpiAwareness")]
    if not any(value and not value.startswith(("false", "unaware")) for value in dpi):
        problems.append("manifest declares no DPI awareness: boxes would be blurred on "
                        "high-DPI screens")
    found = {e.get("Id", "").lower() for e in elements if LocalName(e.tag) == "supportedOS"}
    for guid, name in SUPPORTED_OS.items():
        if guid not in found:
            problems.append(f"manifest does not name Windows {name} as supported")
    return problems


def CheckManifest(image, pe):
    manifests = pe.Find(RT_MANIFEST)
    if [m.name for m in manifests] != [1]:
        return [f"manifests {[m.name for m in manifests]}, not exactly number 1"]
    return CheckManifestText(manifests[0].Data(image))


def CheckProgram(image, checks):
    """Every problem the checks find in the file, each prefixed by the check's name."""
    try:
        pe = ReadPe(image)
    except (PeError, ValueError) as error:
        return [f"file: {error}"]
    return [f"{name}: {p}" for name, check in checks for p in check(image, pe)]


def CheckAll(image, version, arch):
    """What pyxen.exe must carry."""
    return CheckProgram(image, (
        ("headers", lambda image, pe: CheckHeaders(image, pe, arch)),
        ("imports", CheckImports),
        ("icon", CheckIcon),
        ("manifest", CheckManifest),
        ("version", lambda image, pe: CheckVersion(image, pe, version))))


def ReadMessageTable(data):
    """A message table resource as {message id: text}."""
    (blockCount,) = struct.unpack_from("<I", data, 0)
    messages = {}
    for block in range(blockCount):
        lowId, highId, at = struct.unpack_from("<III", data, 4 + 12 * block)
        for messageId in range(lowId, highId + 1):
            length, flags = struct.unpack_from("<HH", data, at)
            text = data[at + 4:at + length]
            messages[messageId] = text.decode("utf-16-le" if flags & 1 else "latin-1")
            at += length
    return messages


def CheckMessageTable(image, pe, messageFile):
    """Every message of the .mc file is in the table in English and in Japanese, with
    the same insertions in both, each id with the severity bits the compiler adds."""
    tables = {t.language: t for t in pe.Find(RT_MESSAGETABLE)}
    if sorted(tables) != [0x409, LANGUAGE_JAPANESE]:
        return [f"message tables in languages {[hex(l) for l in sorted(tables)]}, "
                "not exactly 0x409 and 0x411"]
    try:
        english, japanese = (ReadMessageTable(tables[l].Data(image))
                             for l in (0x409, LANGUAGE_JAPANESE))
    except (struct.error, UnicodeDecodeError) as error:
        return [f"message table unreadable: {error}"]
    severities = {"Success": 0, "Informational": 1, "Warning": 2, "Error": 3}
    problems = []
    for number, severity in re.findall(r"^MessageId=(\w+)\nSeverity=(\w+)", messageFile, re.M):
        messageId = severities[severity] << 30 | int(number, 0)
        if messageId not in english or messageId not in japanese:
            problems.append(f"message {messageId:#x} missing in a language")
        elif (sorted(re.findall("%[1-9]", english[messageId])) !=
              sorted(re.findall("%[1-9]", japanese[messageId]))):
            problems.append(f"message {messageId:#x} has other insertions in each language")
        elif not re.search("[\u3040-\u30ff\u4e00-\u9fff]", japanese[messageId]):
            problems.append(f"message {messageId:#x} in 0x411 is not in Japanese")
        elif severity == "Success" and (english[messageId].endswith("\n") or
                                        japanese[messageId].endswith("\n")):
            # A word inside an entry's sentence: a line end would break the sentence.
            problems.append(f"word {messageId} ends its line")
    return problems


def CheckGuard(image, messageFile, arch):
    """What pyxen-guard.exe must carry: a GUI-subsystem program of its build under the
    size limit, system DLLs only, and the event log's message table."""
    return CheckProgram(image, (
        ("headers", lambda image, pe: CheckHeaders(image, pe, arch, sizeLimit=GUARD_SIZE_LIMIT)),
        ("imports", CheckImports),
        ("messages", lambda image, pe: CheckMessageTable(image, pe, messageFile))))


def CheckChecker(image, arch):
    """What pyxen-check.exe must carry: a console program of its build that runs from
    where it lies, with system DLLs only."""
    return CheckProgram(image, (
        ("headers", lambda image, pe: CheckHeaders(image, pe, arch, IMAGE_SUBSYSTEM_WINDOWS_CUI,
                                                   CHECKER_SIZE_LIMIT)),
        ("imports", CheckImports)))
