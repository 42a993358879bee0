#!/usr/bin/env python3
"""Damages copies of the real pyxen.exe, pyxen-guard.exe and pyxen-check.exe of one
build in one place each and expects the checks to name exactly that damage: a check
that passes a broken file would hide a fault.

    TestResourceChecks.py ARCH VERSION PYXEN_EXE PYXEN_GUARD_EXE PYXEN_CHECK_EXE MESSAGE_FILE
"""
import re
import struct
import sys
import unittest

from PeFile import (PE32_PLUS, RT_GROUP_ICON, RT_ICON, RT_MANIFEST, RT_MESSAGETABLE, RT_VERSION,
                    ReadPe)
from ResourceChecks import ARCHITECTURES, CheckAll, CheckChecker, CheckGuard, CheckManifestText

arch = None
version = None
exePath = None
guardPath = None
checkerPath = None
messageFile = None


class Damage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(exePath, "rb") as file:
            cls.original = file.read()
        cls.pe = ReadPe(cls.original)

    def setUp(self):
        self.image = bytearray(self.original)

    def Resource(self, type):
        return self.pe.Find(type)[0]

    def Write(self, offset, format, *values):
        struct.pack_into(format, self.image, offset, *values)

    def AssertOnlyProblems(self, *prefixes, version=None):
        problems = CheckAll(bytes(self.image), version or globals()["version"], arch)
        self.assertTrue(problems, "the damage went unnoticed")
        for problem in problems:
            self.assertTrue(problem.startswith(prefixes), problem)


class HeaderAndImportChecks(Damage):
    def test_the_real_file_passes(self):
        self.assertEqual(CheckAll(self.original, version, arch), [])

    def test_console_subsystem_is_noticed(self):
        self.Write(self.pe.subsystemOffset, "<H", 3)
        self.AssertOnlyProblems("headers: subsystem 3")

    def test_a_runtime_dll_import_is_noticed(self):
        entry = self.pe.imports[0]
        fake = (b"libgcc" + b"_" * 32)[:len(entry.name) - 4] + b".dll"
        self.image[entry.offset:entry.offset + len(fake)] = fake
        self.AssertOnlyProblems("imports: imports libgcc")

    def test_a_function_imported_by_number_is_noticed(self):
        entry = self.pe.imports[0]
        # An import lookup entry as each build's format has it: by number, function 7.
        format, byNumber = {"i686": ("<I", 1 << 31), "x86_64": ("<Q", 1 << 63)}[arch]
        self.Write(entry.lookup, format, byNumber | 7)
        self.AssertOnlyProblems(f"imports: imports function 7 of {entry.name} by number")

    def test_a_machine_of_the_other_build_is_noticed(self):
        other = next(a for a in ARCHITECTURES if a != arch)
        self.Write(self.pe.machineOffset, "<H", ARCHITECTURES[other][0])
        self.AssertOnlyProblems("headers: machine")

    def test_a_64_bit_image_based_below_4_gb_is_noticed(self):
        if self.pe.magic != PE32_PLUS:
            self.skipTest("a 32-bit image lies below 4 GB by its format")
        self.Write(self.pe.imageBaseOffset, "<Q", 0x400000)
        self.AssertOnlyProblems("headers: image base 0x400000 below 4 GB")

    def test_a_file_over_the_size_limit_is_noticed(self):
        self.image += bytes(100 * 1024)
        self.AssertOnlyProblems("headers: size")

    def test_a_file_that_is_no_program_is_reported_not_crashed_on(self):
        self.image[0:2] = b"ZM"
        self.AssertOnlyProblems("file: no MZ header")


class IconChecks(Damage):
    def IconPixelMaskByte(self, x, y):
        icon = self.Resource(RT_ICON)
        return icon.offset + 40 + 64 + 32 * 16 + (31 - y) * 4 + x // 8

    def test_an_english_icon_group_is_noticed(self):
        self.Write(self.Resource(RT_GROUP_ICON).languageEntry, "<I", 0x409)
        self.AssertOnlyProblems("icon: icon groups are [(101, '0x409')]")

    def test_icon_32512_is_noticed(self):
        self.Write(self.Resource(RT_GROUP_ICON).nameEntry, "<I", 32512)
        problems = CheckAll(bytes(self.image), version, arch)
        self.assertTrue(any("icon 32512 is present" in p for p in problems), problems)

    def test_a_transparent_pixel_on_a_diagonal_is_noticed(self):
        self.image[self.IconPixelMaskByte(10, 10)] |= 0x80 >> 10 % 8
        self.AssertOnlyProblems("icon: icon pixel (10,10) on a diagonal")

    def test_an_opaque_pixel_between_the_arms_is_noticed(self):
        self.image[self.IconPixelMaskByte(16, 3)] &= ~(0x80 >> 16 % 8) & 0xFF
        self.AssertOnlyProblems("icon: icon pixel (16,3) between the arms",
                                "icon: icon pixel (16,3) is (0, 0, 0), not a red")

    def test_a_blue_palette_is_noticed(self):
        icon = self.Resource(RT_ICON)
        for entry in range(16):
            self.Write(icon.offset + 40 + 4 * entry, "<BBBB", 0xFF, 0, 0, 0)
        self.AssertOnlyProblems("icon: icon pixel")

    def test_a_256_colour_group_entry_is_noticed(self):
        self.Write(self.Resource(RT_GROUP_ICON).offset + 6 + 2, "<B", 0)
        self.AssertOnlyProblems("icon: icon group entry 32x32, 0 colours")


class VersionChecks(Damage):
    def test_an_english_string_table_is_noticed(self):
        block = self.Resource(RT_VERSION)
        data = bytes(self.image[block.offset:block.offset + block.size])
        at = block.offset + data.index("041104B0".encode("utf-16-le"))
        self.image[at:at + 16] = "040904B0".encode("utf-16-le")
        self.AssertOnlyProblems("version: string tables ['040904B0']")

    def test_another_translation_is_noticed(self):
        block = self.Resource(RT_VERSION)
        data = bytes(self.image[block.offset:block.offset + block.size])
        at = block.offset + data.index(struct.pack("<HH", 0x411, 1200))
        self.Write(at, "<HH", 0x409, 1252)
        self.AssertOnlyProblems("version: Translation")

    def test_a_version_other_than_the_project_version_is_noticed(self):
        self.AssertOnlyProblems("version: fixed file and product versions",
                                "version: FileVersion", "version: ProductVersion",
                                version="9.8.7")


class ManifestChecks(Damage):
    def ManifestText(self):
        manifest = self.Resource(RT_MANIFEST)
        return bytes(self.image[manifest.offset:manifest.offset + manifest.size]).decode()

    def test_utf8_as_the_process_code_page_is_noticed(self):
        text = self.ManifestText().replace("</assembly>", """
  <application xmlns="urn:schemas-microsoft-com:asm.v3">
    <windowsSettings>
      <activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings"
        >UTF-8</activeCodePage>
    </windowsSettings>
  </application>
</assembly>""")
        self.assertEqual(len(CheckManifestText(text)), 1)
        self.assertIn("activeCodePage", CheckManifestText(text)[0])

    def test_a_raised_execution_level_is_noticed(self):
        text = self.ManifestText().replace('"asInvoker"', '"requireAdministrator"')
        self.assertEqual(CheckManifestText(text),
                         ["requested execution levels ['requireAdministrator'], "
                          "not just asInvoker"])

    def test_a_missing_windows_10_entry_is_noticed(self):
        text = self.ManifestText().replace("8e0f7a12", "00000000")
        self.assertEqual(CheckManifestText(text),
                         ["manifest does not name Windows 10 and 11 as supported"])

    def test_a_manifest_without_dpi_awareness_is_noticed(self):
        for unaware in ("false", "unaware"):
            text = re.sub(r">[^<]*</(dpiAware|dpiAwareness)>", rf">{unaware}</\1>",
                          self.ManifestText())
            self.assertEqual(CheckManifestText(text), [
                "manifest declares no DPI awareness: boxes would be blurred on "
                "high-DPI screens"])

    def test_a_broken_manifest_in_the_file_is_noticed(self):
        manifest = self.Resource(RT_MANIFEST)
        at = bytes(self.image).index(b"<assembly", manifest.offset)
        self.image[at] = ord("{")
        self.AssertOnlyProblems("manifest: manifest is not well-formed XML")


class MessageTableChecks(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(guardPath, "rb") as file:
            cls.original = file.read()
        with open(messageFile, encoding="utf-8") as file:
            cls.messages = file.read()
        cls.tables = {t.language: t for t in ReadPe(cls.original).Find(RT_MESSAGETABLE)}

    def setUp(self):
        self.image = bytearray(self.original)

    def Problems(self):
        return CheckGuard(bytes(self.image), self.messages, arch)

    def test_the_real_file_passes(self):
        self.assertEqual(self.Problems(), [])

    def test_a_table_in_another_language_is_noticed(self):
        struct.pack_into("<I", self.image, self.tables[0x411].languageEntry, 0x404)
        self.assertEqual(self.Problems(), [
            "messages: message tables in languages ['0x404', '0x409'], "
            "not exactly 0x409 and 0x411"])

    def test_a_message_missing_in_japanese_is_noticed(self):
        # The block of the service's start and stop holding one message of another id.
        table = self.tables[0x411].offset
        (blocks,) = struct.unpack_from("<I", self.image, table)
        block = next(table + 4 + 12 * b for b in range(blocks)
                     if struct.unpack_from("<I", self.image, table + 4 + 12 * b)[0] == 0x40000001)
        struct.pack_into("<II", self.image, block, 0x40007000, 0x40007000)
        self.assertEqual(self.Problems(), [f"messages: message {i:#x} missing in a language"
                                           for i in (0x40000001, 0x40000002)])


class ArchitectureChecks(unittest.TestCase):
    """Each program against the build it comes from: one of the other build in its place,
    as a packaging mix-up would put it, is noticed."""
    @classmethod
    def setUpClass(cls):
        with open(messageFile, encoding="utf-8") as file:
            messages = file.read()
        cls.programs = []
        for path, check in ((exePath, lambda image, arch: CheckAll(image, version, arch)),
                            (guardPath, lambda image, arch: CheckGuard(image, messages, arch)),
                            (checkerPath, CheckChecker)):
            with open(path, "rb") as file:
                cls.programs.append((path, check, file.read()))

    def test_the_real_checker_passes(self):
        path, check, image = self.programs[2]
        self.assertEqual(check(image, arch), [])

    def test_a_program_of_the_other_build_is_noticed(self):
        for path, check, image in self.programs:
            for other in ARCHITECTURES.keys() - {arch}:
                with self.subTest(program=path, checkedFor=other):
                    problems = check(image, other)
                    self.assertEqual(len(problems), 1, problems)
                    self.assertRegex(problems[0], f"^headers: machine .* for {other}$")


if __name__ == "__main__":
    if len(sys.argv) < 7:
        sys.exit("usage: TestResourceChecks.py ARCH VERSION PYXEN_EXE PYXEN_GUARD_EXE "
                 "PYXEN_CHECK_EXE MESSAGE_FILE [unittest options]")
    arch, version, exePath, guardPath, checkerPath, messageFile = sys.argv[1:7]
    if arch not in ARCHITECTURES:
        sys.exit(f"unknown architecture {arch}: not one of {', '.join(ARCHITECTURES)}")
    unittest.main(argv=[sys.argv[0]] + sys.argv[7:], verbosity=1)
