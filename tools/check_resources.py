#!/usr/bin/python3
"""Reads the resources back from a built fwupdater.exe and compares them with
what the program relies on: the inventory (types, ids, languages), every
string-table entry byte for byte, the three dialog templates control by
control, the form of the agreement texts and the firmware image, the icons
and the manifest.

usage: check_resources.py EXE [--hardware-id=TEXT] [--route=TEXT]
                              [--firmware=FILE] [--eula-en=FILE] [--eula-ja=FILE]
Exit code 0 when everything matches, 1 with one line per difference otherwise.
"""
import argparse
import struct
import sys

import pefile

from ui_texts import ENGLISH_TEXTS, JAPANESE_TEXTS

ENGLISH = 1033
JAPANESE = 1041
LANGUAGES = (ENGLISH, JAPANESE)
LANGUAGE_NAMES = {ENGLISH: "English", JAPANESE: "Japanese"}
ANSI_CODE_PAGE = {ENGLISH: "cp1252", JAPANESE: "cp932"}

RT_ICON = 3
RT_DIALOG = 5
RT_STRING = 6
RT_GROUP_ICON = 14
RT_MANIFEST = 24

# Configuration entries 18 and 19; 16 and 17 are configurable and come from
# the command line.
PRINTER_NAME = "TARVELIN chromalux 4410N"
FIRMWARE_VERSION = "72K0030000"
SHIPPED_HARDWARE_ID = "USB\\VID_0E7A&PID_41C5"
SHIPPED_ROUTE = "PrintClass"

UI_TEXTS = {ENGLISH: ENGLISH_TEXTS, JAPANESE: JAPANESE_TEXTS}

# Window, dialog and control styles.
WS_POPUP = 0x80000000
WS_CHILD = 0x40000000
WS_VISIBLE = 0x10000000
WS_CAPTION = 0x00C00000
WS_BORDER = 0x00800000
WS_VSCROLL = 0x00200000
WS_SYSMENU = 0x00080000
WS_GROUP = 0x00020000
WS_TABSTOP = 0x00010000
DS_MODALFRAME = 0x80
DS_SETFONT = 0x40
BS_PUSHBUTTON = 0x0
BS_DEFPUSHBUTTON = 0x1
BS_AUTORADIOBUTTON = 0x9
ES_LEFT = 0x0
ES_MULTILINE = 0x4
ES_READONLY = 0x800
SS_LEFT = 0x0
SS_CENTER = 0x1
PBS_SMOOTH = 0x1
BUTTON = 0x80
EDIT = 0x81
STATIC = 0x82
PROGRESS = "msctls_progress32"

CHILD = WS_CHILD | WS_VISIBLE

# template id: (size, style, width, height, controls); each control is
# (id, class, text, style, x, y, width, height) in template order.
DIALOGS = {
    102: (122, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
          298, 106, [
              (1, BUTTON, "", CHILD | WS_TABSTOP | BS_PUSHBUTTON, 132, 79, 89, 14),
              (2, BUTTON, "", CHILD | WS_TABSTOP | BS_PUSHBUTTON, 225, 79, 60, 14),
              (110, STATIC, "", CHILD | WS_GROUP | SS_LEFT, 9, 10, 280, 50),
          ]),
    103: (170, WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, 238, 81, [
        (111, STATIC, "", CHILD | WS_GROUP | SS_CENTER, 9, 34, 218, 14),
        (114, PROGRESS, "Progress1", CHILD | WS_BORDER | PBS_SMOOTH, 9, 51, 218, 14),
        (112, STATIC, "", CHILD | WS_GROUP | SS_LEFT, 9, 7, 218, 14),
    ]),
    144: (202, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 307, 169, [
        (1, BUTTON, "OK", CHILD | WS_TABSTOP | BS_DEFPUSHBUTTON, 128, 148, 50, 14),
        (146, EDIT, "", CHILD | WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_LEFT | ES_MULTILINE |
         ES_READONLY, 7, 32, 293, 88),
        (147, BUTTON, "No", CHILD | WS_TABSTOP | BS_AUTORADIOBUTTON, 52, 124, 226, 9),
        (148, BUTTON, "Yes", CHILD | BS_AUTORADIOBUTTON, 52, 137, 226, 9),
        (145, STATIC, "Static", CHILD | WS_GROUP | SS_LEFT, 7, 7, 293, 22),
    ]),
}
DIALOG_FONT = (8, "Tahoma")

AGREEMENT_SIZE = {ENGLISH: 4657, JAPANESE: 4182}
AGREEMENT_LINES = 37
AGREEMENT_LONGEST_LINE = 655
AGREEMENT_SECTIONS = 8

FIRMWARE_SIZE = 254082
FIRMWARE_FILL_START = 17
FIRMWARE_BODY_START = 65562

# (width, height, image size) of the two 16-colour icon images, and their ids.
ICON_IMAGES = [(16, 16, 296), (32, 32, 744)]
ICON_IDS = {ENGLISH: (1, 2), JAPANESE: (3, 4)}
ICON_GROUP = 113

MANIFEST = (b'<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">'
            b"</assembly>\r\n")


class Malformed(Exception):
    pass


def read_resources(path):
    """Every resource of the PE file as {(type, id, language): bytes}; type and
    id are ints, or strings for named ones."""
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    found = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found
    image = pe.__data__

    def key(entry):
        return str(entry.name) if entry.name is not None else entry.id

    for type_entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name_entry in type_entry.directory.entries:
            for language_entry in name_entry.directory.entries:
                data = language_entry.data.struct
                offset = pe.get_offset_from_rva(data.OffsetToData)
                found[(key(type_entry), key(name_entry), language_entry.id)] = bytes(
                    image[offset:offset + data.Size])
    return found


def expected_inventory():
    items = set()
    for language in LANGUAGES:
        items |= {(RT_STRING, block, language) for block in (2, 14, 15)}
        items |= {(RT_DIALOG, template, language) for template in DIALOGS}
        items |= {("EULA", 145, language), ("FIRMWARE", 101, language)}
        items |= {(RT_GROUP_ICON, ICON_GROUP, language)}
        items |= {(RT_ICON, icon, language) for icon in ICON_IDS[language]}
    items.add((RT_MANIFEST, 1, ENGLISH))
    return items


def describe(item):
    kinds = {RT_ICON: "icon", RT_DIALOG: "dialog", RT_STRING: "string block",
             RT_GROUP_ICON: "icon group", RT_MANIFEST: "manifest"}
    kind, name, language = item
    return "%s %s (language %d)" % (kinds.get(kind, kind), name, language)


def parse_string_block(data):
    """The sixteen entries of a string-table block as UTF-16LE byte strings."""
    entries = []
    pos = 0
    for _ in range(16):
        if pos + 2 > len(data):
            raise Malformed("block ends inside entry %d" % len(entries))
        (length,) = struct.unpack_from("<H", data, pos)
        pos += 2
        if pos + 2 * length > len(data):
            raise Malformed("entry %d runs past the end of the block" % len(entries))
        entries.append(data[pos:pos + 2 * length])
        pos += 2 * length
    if pos != len(data):
        raise Malformed("%d bytes after the sixteenth entry" % (len(data) - pos))
    return entries


def check_strings(resources, texts_by_language, fail):
    for language in LANGUAGES:
        texts = texts_by_language[language]
        for block in (2, 14, 15):
            data = resources.get((RT_STRING, block, language))
            if data is None:
                continue
            where = "%s string block %d" % (LANGUAGE_NAMES[language], block)
            try:
                entries = parse_string_block(data)
            except Malformed as error:
                fail("%s: %s" % (where, error))
                continue
            for slot, stored in enumerate(entries):
                string_id = (block - 1) * 16 + slot
                wanted = texts.get(string_id, "").encode("utf-16-le")
                if stored != wanted:
                    shown = stored.decode("utf-16-le", errors="replace")
                    fail("%s: entry %d is %r, expected %r" %
                         (where, string_id, shown, texts.get(string_id, "")))
        for string_id, text in texts.items():
            limit = 127 if string_id == 16 else 1023
            try:
                ansi = len(text.encode(ANSI_CODE_PAGE[language]))
            except UnicodeEncodeError:
                fail("%s entry %d has no %s form" %
                     (LANGUAGE_NAMES[language], string_id, ANSI_CODE_PAGE[language]))
                continue
            if ansi > limit:
                fail("%s entry %d is %d ANSI bytes; its reader holds %d" %
                     (LANGUAGE_NAMES[language], string_id, ansi, limit))


class Reader:
    def __init__(self, data):
        self.data = data
        self.pos = 0

    def unpack(self, fmt):
        size = struct.calcsize(fmt)
        if self.pos + size > len(self.data):
            raise Malformed("template ends at byte %d, inside a field" % self.pos)
        values = struct.unpack_from(fmt, self.data, self.pos)
        self.pos += size
        return values

    def word(self):
        return self.unpack("<H")[0]

    def text(self):
        units = []
        while True:
            unit = self.word()
            if unit == 0:
                return "".join(map(chr, units))
            units.append(unit)

    def text_or_ordinal(self):
        first = self.word()
        if first == 0xFFFF:
            return self.word()
        if first == 0:
            return ""
        self.pos -= 2
        return self.text()

    def align(self):
        self.pos = (self.pos + 3) & ~3


def parse_dialog(data):
    """A plain DLGTEMPLATE as a dict; the extended form is refused."""
    if len(data) >= 4 and struct.unpack_from("<HH", data)[1] == 0xFFFF:
        raise Malformed("extended template (DLGTEMPLATEEX)")
    r = Reader(data)
    style, exstyle, count, x, y, width, height = r.unpack("<IIHhhhh")
    dialog = {"style": style, "exstyle": exstyle, "x": x, "y": y, "width": width,
              "height": height, "menu": r.text_or_ordinal(), "class": r.text_or_ordinal(),
              "title": r.text(), "font": None, "controls": []}
    if style & DS_SETFONT:
        dialog["font"] = (r.word(), r.text())
    for _ in range(count):
        r.align()
        c_style, c_exstyle, c_x, c_y, c_width, c_height, c_id = r.unpack("<IIhhhhH")
        control_class = r.text_or_ordinal()
        text = r.text_or_ordinal()
        extra = r.word()
        r.pos += extra
        dialog["controls"].append({
            "id": c_id, "class": control_class, "text": text, "style": c_style,
            "exstyle": c_exstyle, "geometry": (c_x, c_y, c_width, c_height), "data": extra})
    if r.pos != len(data):
        raise Malformed("template is %d bytes, its controls end at %d" % (len(data), r.pos))
    return dialog


def show(field, value):
    return "0x%08X" % value if field in ("style", "exstyle") else repr(value)


def check_dialogs(resources, fail):
    for template, (size, style, width, height, controls) in DIALOGS.items():
        copies = {}
        for language in LANGUAGES:
            data = resources.get((RT_DIALOG, template, language))
            if data is None:
                continue
            copies[language] = data
            where = "%s dialog %d" % (LANGUAGE_NAMES[language], template)
            if len(data) != size:
                fail("%s is %d bytes, expected %d" % (where, len(data), size))
            try:
                dialog = parse_dialog(data)
            except Malformed as error:
                fail("%s: %s" % (where, error))
                continue
            header = {"style": style, "exstyle": 0, "x": 0, "y": 0, "width": width,
                      "height": height, "menu": "", "class": "", "title": "",
                      "font": DIALOG_FONT}
            for field, wanted in header.items():
                if dialog[field] != wanted:
                    fail("%s: %s is %s, expected %s" %
                         (where, field, show(field, dialog[field]), show(field, wanted)))
            found = dialog["controls"]
            if len(found) != len(controls):
                fail("%s has %d controls, expected %d" % (where, len(found), len(controls)))
            for order, (control, wanted) in enumerate(zip(found, controls), 1):
                c_id, c_class, c_text, c_style = wanted[:4]
                expect = {"id": c_id, "class": c_class, "text": c_text, "style": c_style,
                          "exstyle": 0, "geometry": tuple(wanted[4:]), "data": 0}
                for field, value in expect.items():
                    if control[field] != value:
                        fail("%s control %d (id %d): %s is %s, expected %s" %
                             (where, order, c_id, field, show(field, control[field]),
                              show(field, value)))
        if len(copies) == 2 and copies[ENGLISH] != copies[JAPANESE]:
            fail("dialog %d differs between the language sets" % template)


def check_agreement(data, language, fail):
    where = "%s agreement text" % LANGUAGE_NAMES[language]
    if len(data) != AGREEMENT_SIZE[language]:
        fail("%s is %d bytes, expected %d" % (where, len(data), AGREEMENT_SIZE[language]))
    if b"\0" in data:
        fail("%s holds a zero byte at %d" % (where, data.index(b"\0")))
    if not data.endswith(b"\r\n"):
        fail("%s does not end with CR LF" % where)
    lines = data.split(b"\r\n")
    if lines[-1] == b"":
        lines.pop()
    if len(lines) != AGREEMENT_LINES:
        fail("%s has %d lines, expected %d" % (where, len(lines), AGREEMENT_LINES))
    for number, line in enumerate(lines, 1):
        if b"\r" in line or b"\n" in line:
            fail("%s line %d has a bare CR or LF" % (where, number))
    if language == ENGLISH:
        for number, line in enumerate(lines, 1):
            if any(byte < 0x20 or byte > 0x7E for byte in line):
                fail("%s line %d is not printable ASCII" % (where, number))
            if len(line) > AGREEMENT_LONGEST_LINE:
                fail("%s line %d has %d characters, at most %d" %
                     (where, number, len(line), AGREEMENT_LONGEST_LINE))
        check_agreement_layout(lines, where, fail)
    else:
        try:
            text = data.decode("cp932")
        except UnicodeDecodeError as error:
            fail("%s is not Shift-JIS: %s" % (where, error))
        else:
            if text.encode("cp932") != data:
                fail("%s does not round-trip through Shift-JIS" % where)
            if text.isascii():
                fail("%s has no Japanese text" % where)


def check_agreement_layout(lines, where, fail):
    """Title, blank, notice, blank, then numbered sections apart by blank lines."""
    if len(lines) < 5 or not lines[0] or lines[1] or not lines[2] or lines[3]:
        fail("%s does not open with a title line and a notice, each followed by a blank" %
             where)
        return
    sections = [[]]
    for line in lines[4:]:
        if line:
            sections[-1].append(line)
        else:
            sections.append([])
    if len(sections) != AGREEMENT_SECTIONS:
        fail("%s has %d sections, expected %d" % (where, len(sections), AGREEMENT_SECTIONS))
    for number, section in enumerate(sections, 1):
        if len(section) < 2 or not section[0].startswith(b"%d. " % number):
            fail("%s section %d does not start with its number and hold a paragraph" %
                 (where, number))


def check_firmware(data, fail):
    if len(data) != FIRMWARE_SIZE:
        fail("firmware image is %d bytes, expected %d" % (len(data), FIRMWARE_SIZE))
        return
    if any(0x20 <= byte <= 0x7E for byte in data[:3]):
        fail("firmware identification block does not open with three binary bytes")
    text = data[3:FIRMWARE_FILL_START]
    if not all(0x20 <= byte <= 0x7E for byte in text):
        fail("firmware identification text is not 14 printable characters: %r" % text)
    if not text.endswith(FIRMWARE_VERSION.encode("ascii")):
        fail("firmware identification text %r does not end in %s" % (text, FIRMWARE_VERSION))
    fill = data[FIRMWARE_FILL_START:FIRMWARE_BODY_START]
    if fill != b"\xff" * len(fill):
        fail("firmware fill from offset %d to %d is not all 0xFF" %
             (FIRMWARE_FILL_START, FIRMWARE_BODY_START - 1))
    if data[FIRMWARE_BODY_START] == 0xFF:
        fail("firmware body does not start at offset %d" % FIRMWARE_BODY_START)
    if data[-1] != 0xFF:
        fail("firmware image does not end in 0xFF fill")


def check_icons(resources, fail):
    groups = {}
    for language in LANGUAGES:
        where = "%s icon group %d" % (LANGUAGE_NAMES[language], ICON_GROUP)
        group = resources.get((RT_GROUP_ICON, ICON_GROUP, language))
        if group is None:
            continue
        wanted = struct.pack("<HHH", 0, 1, len(ICON_IMAGES))
        for (width, height, size), icon in zip(ICON_IMAGES, ICON_IDS[language]):
            wanted += struct.pack("<BBBBHHIH", width, height, 16, 0, 1, 4, size, icon)
        if group != wanted:
            fail("%s is %s, expected %s" % (where, group.hex(), wanted.hex()))
        images = []
        for (width, height, size), icon in zip(ICON_IMAGES, ICON_IDS[language]):
            image = resources.get((RT_ICON, icon, language), b"")
            images.append(image)
            header = struct.unpack_from("<IiiHHI", image) if len(image) >= 20 else None
            if len(image) != size or header != (40, width, 2 * height, 1, 4, 0):
                fail("%s image %d is not a %d x %d 16-colour bitmap of %d bytes" %
                     (where, icon, width, height, size))
        groups[language] = images
    if len(groups) == 2 and groups[ENGLISH] != groups[JAPANESE]:
        fail("icon images differ between the language sets")


def check_file_copy(data, path, what, fail):
    if path is None:
        return
    with open(path, "rb") as source:
        if source.read() != data:
            fail("%s differs from %s" % (what, path))


def check(path, hardware_id=SHIPPED_HARDWARE_ID, route=SHIPPED_ROUTE, firmware=None,
          eula_en=None, eula_ja=None):
    """Every difference between the resources in `path` and what they must be,
    one message each; an empty list when they match."""
    failures = []
    fail = failures.append
    try:
        resources = read_resources(path)
    except pefile.PEFormatError as error:
        return ["%s is not a PE file: %s" % (path, error)]

    wanted = expected_inventory()
    for item in sorted(wanted - resources.keys(), key=str):
        fail("missing: " + describe(item))
    for item in sorted(resources.keys() - wanted, key=str):
        fail("unexpected: " + describe(item))

    configuration = {16: hardware_id, 17: route, 18: PRINTER_NAME, 19: FIRMWARE_VERSION}
    check_strings(resources, {language: {**configuration, **UI_TEXTS[language]}
                              for language in LANGUAGES}, fail)
    check_dialogs(resources, fail)

    agreement_files = {ENGLISH: eula_en, JAPANESE: eula_ja}
    for language in LANGUAGES:
        data = resources.get(("EULA", 145, language))
        if data is not None:
            check_agreement(data, language, fail)
            check_file_copy(data, agreement_files[language],
                            "%s agreement text" % LANGUAGE_NAMES[language], fail)

    images = [resources.get(("FIRMWARE", 101, language)) for language in LANGUAGES]
    if images[0] is not None:
        check_firmware(images[0], fail)
        check_file_copy(images[0], firmware, "firmware image", fail)
        if images[1] is not None and images[1] != images[0]:
            fail("firmware image differs between the language sets")

    check_icons(resources, fail)
    manifest = resources.get((RT_MANIFEST, 1, ENGLISH))
    if manifest is not None and manifest != MANIFEST:
        fail("manifest is %r, expected %r" % (manifest, MANIFEST))
    return failures


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("exe")
    parser.add_argument("--hardware-id", default=SHIPPED_HARDWARE_ID)
    parser.add_argument("--route", default=SHIPPED_ROUTE)
    parser.add_argument("--firmware")
    parser.add_argument("--eula-en")
    parser.add_argument("--eula-ja")
    return parser.parse_args(argv)


def main(argv):
    args = parse_arguments(argv)
    failures = check(args.exe, args.hardware_id, args.route, args.firmware, args.eula_en,
                     args.eula_ja)
    for failure in failures:
        print(failure)
    if failures:
        print("%d difference(s) in the resources of %s" % (len(failures), args.exe))
        return 1
    print("resources of %s match" % args.exe)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
