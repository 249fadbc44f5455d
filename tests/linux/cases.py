"""The Linux program on umockdev's testbed with the real libusb, one group of
cases a run: cases.py PROGRAMS GROUP, PROGRAMS the build directory of
fwupdater and its test variants. Run under umockdev-wrapper."""

import os
import re
import sys

from session import Session
from virtual_printer import IMAGING_CLASS, Bus

PROGRAMS = os.path.abspath(sys.argv[1])
TESTS = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RESOURCES = os.path.join(TESTS, "..", "resources")
PRINTER = 0x41C5
SIBLING = 0x41C4  # a printer of another model
IMAGING = 0x0001  # the maker's imaging device
ENGLISH = {"LANG": "C.UTF-8"}
# What the program must say beyond the string table, and how it writes.
PERCENTS = ["25 %", "51 %", "77 %", "100 %"]
UDEV_RULE = "udev rule"
BUSY = "busy"
NOT_INTERRUPTIBLE = "cannot be interrupted"
WRITES = [64, 65472, 65472, 65472, 57666]


def read_texts():
    with open(os.path.join(TESTS, "texts.txt"), encoding="utf-8") as table:
        entries = re.findall(r'^(\d+) (en|ja) "(.*)"$', table.read(), re.MULTILINE)
    return {(language, int(entry)): text.replace("\\n", "\n") for entry, language, text in entries}


def read_agreement(language):
    with open(os.path.join(RESOURCES, "agreement_%s.txt" % language), "rb") as source:
        return source.read().decode("shift_jis").replace("\r\n", "\n")


def read_firmware():
    with open(os.path.join(RESOURCES, "firmware_placeholder.bin"), "rb") as source:
        image = source.read()
    return bytes([0x02, 0xFF, 0x04, 0, 0, 0]) + len(image).to_bytes(4, "little") + bytes(54) + image


TEXTS = read_texts()
FIRMWARE = read_firmware()
TRANSFER = [TEXTS["en", 223]] + PERCENTS + [TEXTS["en", 222]]


def program(name, *arguments):
    return [os.path.join(PROGRAMS, name)] + list(arguments)


def check_sent_all(device):
    assert device.received == FIRMWARE, "%s got %d bytes" % (device.node, len(device.received))


def check_nothing_open(session):
    nodes = [path for path in session.open_files() if "/dev/bus/usb/" in path]
    assert nodes == [], "%s held open while the program waits" % nodes


# program, locale variables, the language they choose, arguments
SHIPPED = [("fwupdater", ENGLISH, "en", []),
           ("fwupdater-checked", {"LANG": "ja_JP.UTF-8"}, "ja", []),
           ("fwupdater-checked", {"LC_ALL": "C.UTF-8", "LANG": "ja_JP.UTF-8"}, "en",
            ["--accept-license"]),
           ("fwupdater-checked", {"LC_MESSAGES": "ja_JP.UTF-8", "LANG": "C.UTF-8"}, "ja",
            ["--accept-license"])]


def shipped(bus):
    """Exactly the header and the image, in whole chunks, to the printer's bulk
    OUT endpoint, whatever else is attached, the interface given back to the
    kernel's driver afterwards; the texts of the locale's language."""
    for name, locale, language, arguments in SHIPPED:
        imaging = bus.plug(1, IMAGING, IMAGING_CLASS)
        sibling = bus.plug(2, SIBLING)
        printer = bus.plug(3, PRINTER)
        session = Session(program(name, *arguments), locale)
        if arguments == []:
            session.type("2", "", "q")
            session.expect(TEXTS[language, 227], read_agreement(language), TEXTS[language, 228],
                           TEXTS[language, 229], TEXTS[language, 219])
        session.expect(TEXTS[language, 223], *PERCENTS, TEXTS[language, 222])
        session.finish(0)
        if arguments != []:
            assert TEXTS[language, 227] not in session.text(), "the agreement was shown"
        check_sent_all(printer)
        assert printer.writes == WRITES, "the writes were %s" % printer.writes
        assert printer.endpoints == {0x01}, "written to endpoints %s" % printer.endpoints
        assert printer.driver_bound, "the printer interface was not given back to its driver"
        assert imaging.connects == 0 and sibling.connects == 0, "a decoy was opened"
        bus.unplug_all()


def leaving_early(bus):
    """No accepted agreement, a wrong argument, or an ID that is only the start
    of the printer's: nothing opened, nothing sent."""
    printer = bus.plug(1, PRINTER)
    for name, arguments, lines, code in [("fwupdater-checked", [], ["1"], 1),
                                         ("fwupdater-checked", [], [""], 1),
                                         ("fwupdater-checked", [], [], 1),  # end of input
                                         ("fwupdater-checked", ["--no-such-option"], [], 2),
                                         ("fwupdater-short-id", ["--accept-license"], [], 1)]:
        session = Session(program(name, *arguments), ENGLISH)
        session.type(*lines)
        session.finish(code)
        assert TEXTS["en", 223] not in session.text(), "a transfer was started"
        assert printer.connects == 0, "the printer was opened"


def retry(bus):
    """The walk build: not found beside the imaging device, then plugged in;
    unplugged after one chunk; back, beside a printer that sorts first and
    appeared after the search that found ours. A printer that takes no data."""
    imaging = bus.plug(1, IMAGING, IMAGING_CLASS)
    session = Session(program("fwupdater-walk"), ENGLISH)
    session.type("2")
    session.expect(TEXTS["en", 220])
    session.type("")
    session.expect(TEXTS["en", 226], TEXTS["en", 226])
    leaving = bus.plug(3, PRINTER, unplugs_after=WRITES[0] + WRITES[1])
    session.type("")
    session.expect(*TRANSFER[:2], TEXTS["en", 221])
    check_nothing_open(session)
    assert leaving.received == FIRMWARE[:WRITES[0] + WRITES[1]], "not the header and one chunk"
    bus.unplug(3)
    printer = bus.plug(3, PRINTER)
    sibling = bus.plug(2, SIBLING)
    session.type("", "q")
    session.expect(*TRANSFER)
    session.finish(0)
    check_sent_all(printer)
    assert imaging.connects == 0 and sibling.connects == 0, "a decoy was opened"
    silent = bus.plug(4, PRINTER, stalls_after=0)
    bus.unplug(3)
    session = Session(program("fwupdater-checked", "--accept-license"), ENGLISH)
    session.expect(TEXTS["en", 223], TEXTS["en", 221])
    session.finish(1)
    assert silent.received == b"", "the silent printer took data"


def terminal(bus):
    """A person at a terminal: the agreement through the pager, a write cut
    short by a pause and continued, Ctrl-C refused, the bar redrawn in place."""
    printer = bus.plug(1, PRINTER, stalls_after=WRITES[0] + WRITES[1] + 1000)
    session = Session(program("fwupdater-checked"), dict(ENGLISH, PAGER="cat"), terminal=True)
    session.expect(read_agreement("en"))
    session.type("2")
    session.expect(TEXTS["en", 219])
    session.type("")
    # The next write stops for the 2 seconds until it times out.
    session.expect(PERCENTS[0])
    session.interrupt()
    session.expect(NOT_INTERRUPTIBLE, TEXTS["en", 222])
    bar = session.text().split(PERCENTS[1])[1].split(PERCENTS[-1])[0]
    assert "\n" not in bar and "\r" in bar, "the bar is not redrawn in place: %r" % bar
    session.type("q")
    session.finish(0)
    check_sent_all(printer)


def refused_access(bus):
    """The printer there but not to be opened: by a user without write access
    to its node, or while another program holds it."""
    for user, behaviour, key_word in [("nobody", {}, UDEV_RULE), (None, {"busy": True}, BUSY)]:
        printer = bus.plug(1, PRINTER, **behaviour)
        session = Session(program("fwupdater-checked", "--accept-license"), ENGLISH, user=user)
        session.expect(TEXTS["en", 220])
        session.finish(1)
        lines = [line for line in session.text().splitlines() if printer.node in line]
        assert lines and key_word in lines[0], "no line with %s and %r" % (printer.node, key_word)
        assert printer.received == b"", "the printer took data"
        bus.unplug_all()


if __name__ == "__main__":
    globals()[sys.argv[2].replace("-", "_")](Bus())
    print("passed")
