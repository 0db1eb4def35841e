"""End-to-end test: bytes that Shift-JIS cannot decode, in every file the program reads, come back
from its save byte for byte, and the save at the end of a session never fails on them.

Usage: text_bytes_test.py <folder holding VLZozed and the *.vlf packages>
"""

import signal
import struct

from program import ProgramTestCase, main

# Every single byte from 0x80 up, each followed by a full stop (after a lead byte, a pair that is
# no character), and a lead byte alone at the end of the value.
EVERY_HIGH_BYTE = b"".join(bytes([value]) + b"." for value in range(0x80, 0x100)) + b"\x81"
# Unassigned codes, duplicate codes that CP932 writes under another code, a user-defined
# character, an escaped line break and a byte that is no character at all.
ODD_CODES = b"\x85\x40\x86\x9f\xeb\xfc\xed\x40\xfa\x5c\x87\x90\xf0\x40\\n\xfd"
CHARACTER_NAME = b"Odd\x80\xfd\x85\x40\xed\x40\x81"


def package_entries(path):
    """The signature and the (name, data) entries of a character package."""
    with open(path, "rb") as file:
        data = file.read()
    signature, (count,) = data[:13], struct.unpack_from("<h", data, 13)
    index_end = 15 + count * (1 + 255 + 8)
    entries = []
    for number in range(count):
        at = 15 + number * (1 + 255 + 8)
        name = data[at + 1:at + 1 + data[at]]
        offset, size = struct.unpack_from("<ii", data, at + 256)
        entries.append((name, data[index_end + offset:index_end + offset + size]))
    return signature, entries


def write_package(path, signature, entries):
    index = b""
    offset = 0
    for name, data in entries:
        index += bytes([len(name)]) + name.ljust(255, b"\0") + struct.pack("<ii", offset, len(data))
        offset += len(data)
    with open(path, "wb") as file:
        file.write(signature + struct.pack("<h", len(entries)) + index +
                   b"".join(data for _, data in entries))


def note_section(number, memo, left, top, font_name, character):
    """One note as the program writes it."""
    return (b"[%d]\r\nMemo=%s\r\nWindowLeft=%d\r\nWindowTop=%d\r\nFontName=%s\r\nFontSize=9\r\n"
            b"FontColor=16777215\r\nFontCharSet=128\r\nFontStyleBold=0\r\nFontStyleItalic=0\r\n"
            b"FontStyleUnderline=0\r\nFontStyleStrikeOut=0\r\nBGColor=0\r\nCharacter=%s\r\n"
            % (number, memo, left, top, font_name, character))


def preferences(boot_count, font_name, character):
    """The preferences file as the program writes it."""
    return (b"[Interface]\r\nMouseButtonMode=0\r\n[System]\r\nAutoBackupInterval=5\r\n"
            b"BootCount=%d\r\n[DefaultZozedProperty]\r\nFontName=%s\r\nFontSize=9\r\n"
            b"FontColor=16777215\r\nFontCharSet=128\r\nFontStyleBold=0\r\nFontStyleItalic=0\r\n"
            b"FontStyleUnderline=0\r\nFontStyleStrikeOut=0\r\nBGColor=0\r\nCharacter=%s\r\n"
            % (boot_count, font_name, character))


class UndecodableBytesEndToEndTest(ProgramTestCase):
    def add_package_named(self, name):
        signature, entries = package_entries(self.folder.file("Tobble.vlf"))
        description = [data for entry, data in entries if entry.lower() == b"desc.txt"][0]
        lines = [b"Name=" + name if line.lower().startswith(b"name=") else line
                 for line in description.split(b"\r\n")]
        entries = [(entry, b"\r\n".join(lines) if entry.lower() == b"desc.txt" else data)
                   for entry, data in entries]
        write_package(self.folder.file("odd.vlf"), signature, entries)

    def test_sigterm_saves_every_undecodable_byte_unchanged(self):
        self.add_package_named(CHARACTER_NAME)
        notes = (note_section(0, EVERY_HIGH_BYTE, 100, 100, b"Font\xa0\xff\x81", CHARACTER_NAME) +
                 note_section(1, ODD_CODES, 100, 400, "ＭＳ Ｐゴシック".encode("cp932"),
                              b"Tobble"))
        with open(self.folder.file("VLZozed.ini"), "wb") as file:
            file.write(notes)
        with open(self.folder.file("VLZozed_pref.ini"), "wb") as file:
            file.write(preferences(7, b"Default\x80\xed\x40\x81", CHARACTER_NAME))

        self.start(expected_notes=2)
        self.program.send_signal(signal.SIGTERM)
        self.assertEqual(self.wait_for_exit(), 0, self.desktop.log_of(self.program))

        self.assertEqual(self.read_bytes("VLZozed.ini"), notes)
        self.assertEqual(self.read_bytes("VLZozed.bak"), notes)
        self.assertEqual(self.read_bytes("VLZozed_pref.ini"),
                         preferences(8, b"Default\x80\xed\x40\x81", CHARACTER_NAME))


if __name__ == "__main__":
    main(__doc__)
