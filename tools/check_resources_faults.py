#!/usr/bin/python3
"""Breaks single bytes in copies of a built fwupdater.exe and makes sure that
check_resources.py rejects every copy (and still accepts an intact one).

usage: check_resources_faults.py EXE [the options of check_resources.py]
"""
import os
import struct
import sys
import tempfile

import pefile

import check_resources as cr


def resource_offsets(path):
    """File offsets of each resource's data and of its language entry in the
    resource directory, keyed like check_resources.read_resources."""
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    data, language = {}, {}

    def key(entry):
        return str(entry.name) if entry.name is not None else entry.id

    for type_entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name_entry in type_entry.directory.entries:
            for language_entry in name_entry.directory.entries:
                item = (key(type_entry), key(name_entry), language_entry.id)
                data[item] = pe.get_offset_from_rva(language_entry.data.struct.OffsetToData)
                language[item] = language_entry.struct.get_file_offset()
    return data, language


class Image:
    def __init__(self, path):
        with open(path, "rb") as exe:
            self.bytes = exe.read()
        self.data, self.language = resource_offsets(path)

    def string_entry(self, string_id, language):
        """Offset of the length word of a string-table entry."""
        pos = self.data[(cr.RT_STRING, string_id // 16 + 1, language)]
        for _ in range(string_id % 16):
            (length,) = struct.unpack_from("<H", self.bytes, pos)
            pos += 2 + 2 * length
        return pos

    def string_char(self, string_id, language, index):
        return self.string_entry(string_id, language) + 2 + 2 * index

    def control_style(self, template, language, control_id):
        """Offset of a control's style in a dialog template, found by its record."""
        start = self.data[(cr.RT_DIALOG, template, language)]
        for c_id, _, _, style, x, y, width, height in cr.DIALOGS[template][4]:
            if c_id == control_id:
                record = struct.pack("<IIhhhhH", style, 0, x, y, width, height, c_id)
                return self.bytes.index(record, start, start + cr.DIALOGS[template][0])
        raise KeyError(control_id)


def faults(image, english_220):
    """(description, offset, new byte value) of each single-byte fault."""
    en, ja = cr.ENGLISH, cr.JAPANESE
    return [
        ("comma of English 220 made a blank",
         image.string_char(220, en, english_220.index(",and")), ord(" ")),
        ("one byte of Japanese 219",
         image.string_char(219, ja, 0), image.bytes[image.string_char(219, ja, 0)] ^ 0x01),
        ("line feed of English 221 made a carriage return",
         image.string_char(221, en, cr.UI_TEXTS[en][221].index("\n")), 0x0D),
        ("blank ending English 222 made a zero", image.string_char(222, en, 27), 0x00),
        ("blank ending English 222 dropped from its length", image.string_entry(222, en), 27),
        ("one byte of Japanese entry 18", image.string_char(18, ja, 3), ord("W")),
        ("WS_TABSTOP set on control 148 of the English template 144",
         image.control_style(144, en, 148) + 2, 0x01),
        ("WS_VISIBLE cleared on the Japanese template 102",
         image.data[(cr.RT_DIALOG, 102, ja)] + 3, 0x80),
        ("Japanese template 103 filed under language 1042",
         image.language[(cr.RT_DIALOG, 103, ja)], 0x12),
        ("manifest filed under language 1034", image.language[(cr.RT_MANIFEST, 1, en)], 0x0A),
        ("one byte of the Japanese firmware body",
         image.data[("FIRMWARE", 101, ja)] + cr.FIRMWARE_BODY_START + 100, 0x5A),
        ("first line end of the Japanese agreement text made a blank",
         image.bytes.index(b"\r\n", image.data[("EULA", 145, ja)]), 0x20),
    ]


def main(argv):
    args = cr.parse_arguments(argv)
    options = dict(hardware_id=args.hardware_id, route=args.route, firmware=args.firmware,
                   eula_en=args.eula_en, eula_ja=args.eula_ja)
    image = Image(args.exe)
    problems = []
    with tempfile.TemporaryDirectory() as scratch:
        copy = os.path.join(scratch, "fwupdater.exe")

        def verdict(content):
            with open(copy, "wb") as out:
                out.write(content)
            return cr.check(copy, **options)

        intact = verdict(image.bytes)
        if intact:
            problems.append("the intact copy is rejected: " + "; ".join(intact))
        for description, offset, value in faults(image, cr.UI_TEXTS[cr.ENGLISH][220]):
            broken = bytearray(image.bytes)
            if broken[offset] == value:
                problems.append("%s: the byte already holds 0x%02X" % (description, value))
                continue
            broken[offset] = value
            found = verdict(bytes(broken))
            if found:
                print("rejected, %s: %s" % (description, found[0]))
            else:
                problems.append("accepted despite: " + description)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
