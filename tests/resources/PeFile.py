"""A small reader of PE files, 32-bit (PE32) and 64-bit (PE32+): headers, imported DLLs
with their functions, and the resource tree.

Every item keeps the file offset it was read from, so that a test can damage a copy
of the file on purpose and see the checks notice.
"""
import struct
from dataclasses import dataclass, field

RT_ICON = 3
RT_MESSAGETABLE = 11
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24

PE32 = 0x10B
PE32_PLUS = 0x20B
# An import lookup table's entries: their format, and the bit that marks an import by
# number rather than by name.
THUNKS = {PE32: ("<I", 1 << 31), PE32_PLUS: ("<Q", 1 << 63)}


class PeError(Exception):
    pass


@dataclass
class Import:
    name: str
    offset: int  # of the DLL name's first byte
    lookup: int = 0  # offset of the import lookup table's first entry
    functions: list = field(default_factory=list)  # names; a number for one by number


@dataclass
class Resource:
    type: object  # a number, or a string for a named type
    name: object
    language: int
    offset: int  # of the data
    size: int
    nameEntry: int  # offset of the directory entry holding the name
    languageEntry: int  # offset of the directory entry holding the language

    def Data(self, image):
        return image[self.offset:self.offset + self.size]


@dataclass
class PeFile:
    machine: int = 0
    machineOffset: int = 0
    magic: int = 0
    imageBase: int = 0
    imageBaseOffset: int = 0
    subsystem: int = 0
    subsystemOffset: int = 0
    imports: list = field(default_factory=list)
    resources: list = field(default_factory=list)

    def Find(self, type, name=None):
        return [r for r in self.resources
                if r.type == type and (name is None or r.name == name)]


def Unpack(format, data, offset):
    try:
        return struct.unpack_from(format, data, offset)
    except struct.error:
        raise PeError(f"truncated at offset {offset:#x}")


def ReadPe(data):
    if data[:2] != b"MZ":
        raise PeError("no MZ header")
    (peOffset,) = Unpack("<I", data, 0x3C)
    if data[peOffset:peOffset + 4] != b"PE\0\0":
        raise PeError("no PE signature")
    pe = PeFile()
    coff = peOffset + 4
    pe.machineOffset = coff
    pe.machine, sectionCount = Unpack("<HH", data, coff)
    (optionalSize,) = Unpack("<H", data, coff + 16)
    optional = coff + 20
    (pe.magic,) = Unpack("<H", data, optional)
    # PE32+ widens the image base to 8 bytes and drops BaseOfData, which leaves the
    # fields from the alignments to the subsystem where PE32 has them; the stack and
    # heap sizes widen too, moving the data directories 16 bytes on.
    if pe.magic == PE32:
        pe.imageBaseOffset = optional + 28
        (pe.imageBase,) = Unpack("<I", data, pe.imageBaseOffset)
        directoriesAt = optional + 96
    elif pe.magic == PE32_PLUS:
        pe.imageBaseOffset = optional + 24
        (pe.imageBase,) = Unpack("<Q", data, pe.imageBaseOffset)
        directoriesAt = optional + 112
    else:
        raise PeError(f"optional header magic {pe.magic:#x}, neither PE32 nor PE32+")
    pe.subsystemOffset = optional + 68
    (pe.subsystem,) = Unpack("<H", data, pe.subsystemOffset)
    (directoryCount,) = Unpack("<I", data, directoriesAt - 4)
    directories = [Unpack("<II", data, directoriesAt + 8 * i)
                   for i in range(min(directoryCount, 16))]

    sections = []
    for i in range(sectionCount):
        at = optional + optionalSize + 40 * i
        virtualSize, virtualAddress, rawSize, rawOffset = Unpack("<IIII", data, at + 8)
        sections.append((virtualAddress, max(virtualSize, rawSize), rawOffset))

    def FileOffset(rva):
        for start, size, raw in sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise PeError(f"address {rva:#x} lies in no section")

    if len(directories) > 1 and directories[1][0]:
        at = FileOffset(directories[1][0])
        while True:
            lookup, _, _, nameRva, thunks = Unpack("<IIIII", data, at)
            if lookup == 0 and nameRva == 0 and thunks == 0:
                break
            nameOffset = FileOffset(nameRva)
            # The lookup table, or where a linker wrote none, the address table, which
            # holds the same entries until the loader fills it in.
            entry = Import(CString(data, nameOffset), nameOffset, FileOffset(lookup or thunks))
            ReadFunctions(data, entry, THUNKS[pe.magic], FileOffset)
            pe.imports.append(entry)
            at += 20

    if len(directories) > 2 and directories[2][0]:
        root = FileOffset(directories[2][0])
        ReadResourceTree(data, root, FileOffset, pe.resources)
    return pe


def ReadFunctions(data, entry, thunk, FileOffset):
    format, byNumber = thunk
    at = entry.lookup
    while True:
        (value,) = Unpack(format, data, at)
        if value == 0:
            return
        if value & byNumber:
            entry.functions.append(value & 0xFFFF)
        else:
            # The address of a hint (two bytes) followed by the name.
            entry.functions.append(CString(data, FileOffset(value) + 2))
        at += struct.calcsize(format)


def CString(data, offset):
    end = data.index(b"\0", offset)
    return data[offset:end].decode("latin-1")


def ReadResourceTree(data, root, FileOffset, resources):
    def Id(value):
        if value & 0x80000000:
            at = root + (value & 0x7FFFFFFF)
            (length,) = Unpack("<H", data, at)
            return data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
        return value

    def Entries(directoryOffset):
        named, numbered = Unpack("<HH", data, directoryOffset + 12)
        for i in range(named + numbered):
            at = directoryOffset + 16 + 8 * i
            name, target = Unpack("<II", data, at)
            yield at, Id(name), target

    for _, type, typeTarget in Entries(root):
        if not typeTarget & 0x80000000:
            raise PeError("resource type entry without a subdirectory")
        for nameAt, name, nameTarget in Entries(root + (typeTarget & 0x7FFFFFFF)):
            if not nameTarget & 0x80000000:
                raise PeError("resource name entry without a subdirectory")
            for languageAt, language, leaf in Entries(root + (nameTarget & 0x7FFFFFFF)):
                if leaf & 0x80000000:
                    raise PeError("resource tree deeper than type/name/language")
                rva, size = Unpack("<II", data, root + leaf)
                resources.append(Resource(type, name, language, FileOffset(rva), size,
                                          nameAt, languageAt))
