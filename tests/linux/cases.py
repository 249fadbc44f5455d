"""The Linux program on umockdev's testbed with the real libusb; one group of
cases a run: cases.py PROGRAMS GROUP, PROGRAMS the directory of fwupdater,
fwupdater-checked and fwupdater-walk. Run under umockdev-wrapper."""

import os
import re
import sys

from session import Session, wait_until
from virtual_printer import IMAGING_CLASS, Bus

PRINTER = 0x41C5
SIBLING = 0x41C4  # a printer of another model
IMAGING = 0x0001  # the maker's imaging device
TESTS = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RESOURCES = os.path.join(TESTS, "..", "resources")
ENGLISH = {"LANG": "C.UTF-8"}
JAPANESE = {"LANG": "ja_JP.UTF-8"}
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


def check_sent_all(device):
    assert device.received == FIRMWARE, "%s got %d bytes" % (device.node, len(device.received))


def check_untouched(*devices):
    for device in devices:
        assert device.connects == 0, "%s was opened" % device.node


def check_nothing_open(session):
    nodes = [path for path in session.open_files() if "/dev/bus/usb/" in path]
    assert nodes == [], "%s held open while the program waits" % nodes


# program, locale variables, the language they choose, arguments
SHIPPED = [("fwupdater", ENGLISH, "en", []),
           ("fwupdater-checked", JAPANESE, "ja", []),
           ("fwupdater-checked", {"LC_ALL": "C.UTF-8", "LANG": "ja_JP.UTF-8"}, "en",
            ["--accept-license"]),
           ("fwupdater-checked", {"LC_MESSAGES": "ja_JP.UTF-8", "LANG": "C.UTF-8"}, "ja",
            ["--accept-license"])]


def shipped(bus, programs):
    """Exactly the header and the image, in whole chunks, to the printer's bulk
    OUT endpoint, whatever else is attached; the texts of the locale's language."""
    for program, locale, language, arguments in SHIPPED:
        imaging = bus.plug(1, IMAGING, IMAGING_CLASS)
        sibling = bus.plug(2, SIBLING)
        printer = bus.plug(3, PRINTER)
        session = Session([os.path.join(programs, program)] + arguments, locale)
        shown = [TEXTS[language, 223]] + PERCENTS + [TEXTS[language, 222]]
        if arguments == []:
            shown = [TEXTS[language, 227], read_agreement(language), TEXTS[language, 229],
                     TEXTS[language, 219]] + shown
            session.type("2")
            session.type("")
            session.type("q")
        for text in shown:
            session.expect(text)
        session.finish(0)
        assert TEXTS[language, 228] in session.text() or arguments != [], "no choices shown"
        check_sent_all(printer)
        assert printer.writes == WRITES, "the writes were %s" % printer.writes
        assert printer.endpoints == {0x01}, "written to endpoints %s" % printer.endpoints
        check_untouched(imaging, sibling)
        bus.unplug_all()


def leaving_early(bus, programs):
    """No accepted agreement, a wrong argument, or an ID that is only the start
    of the printer's: nothing opened, nothing sent."""
    printer = bus.plug(1, PRINTER)
    for program, arguments, lines, code in [("fwupdater-checked", [], ["1"], 1),
                                            ("fwupdater-checked", [], [""], 1),
                                            ("fwupdater-checked", [], [], 1),  # end of input
                                            ("fwupdater-checked", ["--no-such-option"], [], 2),
                                            ("fwupdater-short-id", ["--accept-license"], [], 1)]:
        session = Session([os.path.join(programs, program)] + arguments, ENGLISH)
        for line in lines:
            session.type(line)
        session.finish(code)
        assert TEXTS["en", 223] not in session.text(), "a transfer was started"
        check_untouched(printer)


def retry(bus, programs):
    """Not found, then plugged in; unplugged after one chunk, then back; a
    printer that takes no data."""
    session = Session([os.path.join(programs, "fwupdater-checked")], ENGLISH)
    session.type("2")
    session.expect(TEXTS["en", 220])
    session.type("")
    session.expect(TEXTS["en", 226])
    session.expect(TEXTS["en", 226])
    leaving = bus.plug(2, PRINTER, unplugs_after=WRITES[0] + WRITES[1])
    session.type("")
    session.expect(TEXTS["en", 221])
    check_nothing_open(session)
    assert leaving.received == FIRMWARE[:WRITES[0] + WRITES[1]], "not the header and one chunk"
    bus.unplug(2)
    printer = bus.plug(2, PRINTER)
    session.type("")
    session.expect(TEXTS["en", 222])
    session.type("q")
    session.finish(0)
    check_sent_all(printer)
    bus.unplug(2)
    silent = bus.plug(2, PRINTER, stalls_after=0)
    session = Session([os.path.join(programs, "fwupdater-checked"), "--accept-license"], ENGLISH)
    session.expect(TEXTS["en", 221])
    session.finish(1)
    assert silent.received == b"", "the silent printer took data"


def walk(bus, programs):
    """No hardware ID: the walk passes over the imaging device, and a printer
    plugged in before Enter gets nothing."""
    imaging = bus.plug(1, IMAGING, IMAGING_CLASS)
    printer = bus.plug(3, PRINTER)
    session = Session([os.path.join(programs, "fwupdater-walk")], ENGLISH)
    session.type("2")
    session.expect(TEXTS["en", 219])
    check_nothing_open(session)
    sibling = bus.plug(2, SIBLING)
    session.type("")
    session.expect(TEXTS["en", 222])
    session.type("q")
    session.finish(0)
    check_sent_all(printer)
    check_untouched(imaging, sibling)


def terminal(bus, programs):
    """A person at a terminal: the agreement through the pager, a write cut
    short by a pause and continued, Ctrl-C refused, the bar redrawn in place."""
    printer = bus.plug(1, PRINTER, stalls_after=WRITES[0] + WRITES[1] + 1000)
    session = Session([os.path.join(programs, "fwupdater-checked")], dict(ENGLISH, PAGER="cat"),
                      terminal=True)
    session.expect(read_agreement("en"))
    session.type("2")
    session.expect(TEXTS["en", 219])
    session.type("")
    wait_until(lambda: printer.held, "the printer never paused")
    session.interrupt()
    session.expect(NOT_INTERRUPTIBLE)
    session.expect(TEXTS["en", 222])
    bar = session.text().split(PERCENTS[1])[1].split(PERCENTS[-1])[0]
    assert "\n" not in bar and "\r" in bar, "the bar is not redrawn in place: %r" % bar
    session.type("q")
    session.finish(0)
    check_sent_all(printer)


def refused_access(bus, programs):
    """The printer there but not to be opened: by a user without write access
    to its node, or while another program holds it."""
    for user, behaviour, key_word in [("nobody", {}, UDEV_RULE), (None, {"busy": True}, BUSY)]:
        printer = bus.plug(1, PRINTER, **behaviour)
        session = Session([os.path.join(programs, "fwupdater-checked"), "--accept-license"],
                          ENGLISH, user=user)
        session.expect(TEXTS["en", 220])
        session.finish(1)
        lines = [line for line in session.text().splitlines() if printer.node in line]
        assert lines and key_word in lines[0], "no line with %s and %r" % (printer.node, key_word)
        assert printer.received == b"", "the printer took data"
        bus.unplug_all()


if __name__ == "__main__":
    group = sys.argv[2].replace("-", "_")
    globals()[group](Bus(), os.path.abspath(sys.argv[1]))
    print("passed")
