"""cases.py BUILD GROUP under umockdev-wrapper; the inputs in FIRMWARE_IMAGE, EULA_EN, EULA_JA."""

import glob
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from session import Session, columns_of
from virtual_printer import IMAGING_CLASS, Bus

PROGRAMS = os.path.abspath(sys.argv[1])
TESTS = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PRINTER = 0x41C5
SIBLING = 0x41C4  # a printer of another model
IMAGING = 0x0001  # the maker's imaging device
ENGLISH = {"LANG": "C.UTF-8"}
JAPANESE = {"LANG": "ja_JP.UTF-8"}
HEADER = 64  # the protocol's: a header, then the image in chunks
CHUNK = 65472
WRITE_TIMEOUT = 30  # seconds, the shipped program's
CHECKED = "fwupdater-checked"  # the shipped configuration, sanitizers on, a 2-second timeout
ACCEPT = ["--accept-license"]
RULE = "70-tarvelin-chromalux-4410n-fwupdater.rules"  # built beside the programs


def read_texts(language, name, agreement):
    """The string table's texts by number, the terminal's by name, the agreement."""
    with open(os.path.join(TESTS, "texts.txt"), encoding="utf-8") as table:
        entries = re.findall(r'^(\d+) %s "(.*)"$' % language, table.read(), re.MULTILINE)
    texts = {int(entry): text.replace("\\n", "\n") for entry, text in entries}
    with open(os.path.join(TESTS, "../resources/terminal", name), encoding="utf-8") as source:
        entries = re.split(r"^@ (\w+)\n", source.read(), flags=re.MULTILINE)[1:]
    texts.update({name: text.rstrip("\n") for name, text in zip(entries[::2], entries[1::2])})
    texts["agreement"] = read_input(agreement).decode("cp932").replace("\r\n", "\n")
    return texts


def read_input(variable):
    with open(os.environ[variable], "rb") as source:
        return source.read()


def complaint(text):
    return "fwupdater: %s\n" % text


EN = read_texts("en", "english.txt", "EULA_EN")
JA = read_texts("ja", "japanese.txt", "EULA_JA")
IMAGE = read_input("FIRMWARE_IMAGE")
FIRMWARE = bytes([0x02, 0xFF, 0x04, 0, 0, 0]) + len(IMAGE).to_bytes(4, "little") + bytes(54) + IMAGE
FULL_CHUNKS = (len(IMAGE) - 1) // CHUNK
WRITES = [HEADER] + [CHUNK] * FULL_CHUNKS + [len(IMAGE) - FULL_CHUNKS * CHUNK]
# After each write of the image: each full chunk's share, then all of it.
PERCENTS = [chunks * CHUNK * 100 // len(IMAGE) for chunks in range(1, FULL_CHUNKS + 1)] + [100]
HALF_WAY = HEADER + len(IMAGE) // 2  # where an unplugged printer stops taking data
WRITES_BEFORE_UNPLUG = 1 + len(IMAGE) // 2 // CHUNK  # the header, the chunks of the first half


def program(name, *arguments):
    return [os.path.join(PROGRAMS, name)] + list(arguments)


def output(*command):
    return subprocess.run(command, capture_output=True, text=True).stdout


def percents_shown(session):
    return [int(percent) for percent in re.findall(r"\] +(\d+) %", session.text())]


def check_sent_all(device):
    assert device.received == FIRMWARE, "%s got %d bytes" % (device.node, len(device.received))


def check_fits(session):
    """No line reaches the last column or starts with closing punctuation."""
    for line in re.split("[\r\n]", session.text()):
        assert columns_of(line) < session.columns, "too wide: %r" % line
        assert not line.startswith(tuple("、。」）")), "starts with punctuation: %r" % line


# program, locale variables, the texts they choose, arguments
SHIPPED = [("fwupdater", ENGLISH, EN, []),
           (CHECKED, {"LC_ALL": "C.UTF-8", "LANG": "ja_JP.UTF-8"}, EN, ACCEPT),
           (CHECKED, {"LC_MESSAGES": "ja_JP.UTF-8", "LANG": "C.UTF-8"}, JA, ACCEPT),
           # Japanese asked for where the character set cannot show it.
           (CHECKED, {"LANG": "ja_JP.UTF-8", "LC_CTYPE": "C"}, EN, ACCEPT)]


def shipped(bus):
    """The exact bytes, writes and endpoint, decoys untouched, the driver bound
    again; the locale's texts, a line a step; --help."""
    for name, locale, texts, arguments in SHIPPED:
        imaging = bus.plug(1, IMAGING, IMAGING_CLASS)
        sibling = bus.plug(2, SIBLING)
        printer = bus.plug(3, PRINTER)
        session = Session(program(name, *arguments), locale)
        if arguments == []:
            session.type("2", "", "q")
            session.expect(texts["AgreementPrompt"], texts["agreement"], texts[228], texts[229],
                           texts["Ready"])
        session.expect(texts[223], texts[222])
        session.finish(0, errors="")
        assert percents_shown(session) == PERCENTS, "not one line a step"
        check_sent_all(printer)
        assert printer.writes == WRITES, "the writes were %s" % printer.writes
        assert printer.endpoints == {0x01}, "written to endpoints %s" % printer.endpoints
        assert printer.driver_bound, "the printer interface was not given back to its driver"
        assert imaging.connects == 0 and sibling.connects == 0, "a decoy was opened"
        bus.unplug_all()
    for argument, locale, text in [("--help", ENGLISH, EN["Usage"]), ("-h", JAPANESE, JA["Usage"])]:
        session = Session(program("fwupdater", argument), locale)
        session.finish(0)
        assert session.text() == text + "\n", "not the usage in the locale's language"
        assert max(map(columns_of, session.text().splitlines())) < 80, "a line of 80 columns"


# program, arguments, lines typed (none: the input ends), the exit status,
# the texts shown, all of standard error
LEAVING = [(CHECKED, [], [""], 3, [EN["Refused"]], ""),
           (CHECKED, [], [], 3, [EN["Refused"]], ""),
           (CHECKED, [], ["3", "1"], 3, [EN["ChoiceExpected"], EN["Refused"]], ""),
           (CHECKED, ["--bad"], [], 2, [], complaint(EN["UnknownOption"].format(option="--bad"))),
           (CHECKED, ["--", "x"], [], 2, [], complaint(EN["ExtraArgument"].format(argument="x"))),
           # an ID that is only the start of the printer's
           ("fwupdater-short-id", [], ["2", "q"], 4, [EN["RetryHint"]], complaint(EN["NotFound"]))]


def leaving_early(bus):
    """It leaves by itself with the status of each way out; nothing opened."""
    printer = bus.plug(1, PRINTER)
    for name, arguments, typed, code, shown, errors in LEAVING:
        session = Session(program(name, *arguments), ENGLISH)
        session.type(*typed)
        session.finish(code, end_input=typed == [], errors=errors)
        session.expect(*shown)
        assert arguments == [] or session.text() == "", "more than the complaint"
        assert printer.connects == 0, "the printer was opened"


def retry(bus):
    """The walk build: not found, said again; unplugged half way; back beside a
    printer that sorts first but came after ours was found: all to ours."""
    imaging = bus.plug(1, IMAGING, IMAGING_CLASS)
    session = Session(program("fwupdater-walk"), ENGLISH)
    session.type("2", "")
    session.expect(EN["RetryHint"], EN["RetryHint"])
    leaving = bus.plug(3, PRINTER, unplugs_after=HALF_WAY)
    session.type("")
    session.expect(EN[223], EN["RetryHint"])
    held = [os.readlink(fd) for fd in glob.glob("/proc/%d/fd/*" % session.process.pid)]
    assert [path for path in held if "/dev/bus/usb/" in path] == [], "held open"
    assert leaving.received == FIRMWARE[:sum(WRITES[:WRITES_BEFORE_UNPLUG])], "not what fit"
    bus.unplug(3)
    printer = bus.plug(3, PRINTER)
    sibling = bus.plug(2, SIBLING)
    session.type("", "q")
    session.expect(EN[223], EN[222])
    reasons = [EN["NotFound"], EN["NotFound"], EN["Unplugged"]]
    session.finish(0, errors="".join(map(complaint, reasons)))
    check_sent_all(printer)
    assert imaging.connects == 0 and sibling.connects == 0, "a decoy was opened"
    assert percents_shown(session) == PERCENTS[:WRITES_BEFORE_UNPLUG - 1] + PERCENTS


def terminal(bus):
    """80 columns, $PAGER, a pause, Ctrl-C refused; 40, Japanese, no pager,
    unplugged; 40, the pager found on PATH, Ctrl-C at the prompt. No word broken."""
    printer = bus.plug(1, PRINTER, stalls_after=HEADER // 2)
    session = Session(program(CHECKED), dict(ENGLISH, PAGER="cat"), columns=80)
    session.expect(EN["PagerHint"], EN["agreement"], EN[229])
    session.type("2", "")
    session.expect(EN[223], "0 %")
    session.press("\x03")
    session.expect(EN["CannotInterrupt"], EN[222])
    session.finish(0)
    check_sent_all(printer)
    check_fits(session)
    bar = session.text().split(EN["CannotInterrupt"])[1].split(EN[222])[0]
    assert bar.strip("\n").count("\n") == 0 and "\r" in bar, "the bar is not one line: %r" % bar
    assert percents_shown(session) == [0, 0] + PERCENTS, "not redrawn from 0 %"
    bus.unplug(1)
    bus.plug(1, PRINTER, unplugs_after=HALF_WAY)
    session = Session(program(CHECKED), dict(JAPANESE, PATH="/none"), columns=40)
    session.expect(JA["AgreementPrompt"], JA["agreement"], JA[228], JA[229])
    session.type("2", "")
    session.expect(JA["Ready"], JA[223], "fwupdater: " + JA["Unplugged"], JA["RetryHint"])
    session.type("q")
    session.finish(1, end_input=False)
    check_fits(session)
    assert JA["PagerHint"] not in session.text() and "not found" not in session.text()
    session = Session(program(CHECKED), ENGLISH, columns=40)
    session.expect(EN["PagerHint"])
    session.press("q")
    session.expect(EN[229])
    session.press("\x03")
    session.finish(3, end_input=False)


def refused_access(bus):
    """No access (where the udev rule is), or busy: the one reason; nothing sent."""
    # The program and its rule where any user may look, wherever the build is.
    folder = tempfile.mkdtemp()
    os.chmod(folder, 0o755)
    for name in (CHECKED, RULE):
        shutil.copy(os.path.join(PROGRAMS, name), folder)
    rule = os.path.join(folder, RULE)
    for user, behaviour, locale, text in [("nobody", {}, ENGLISH, EN["NoAccessRuleBuilt"]),
                                          (None, {"busy": True}, JAPANESE, JA["Busy"])]:
        printer = bus.plug(1, PRINTER, **behaviour)
        session = Session([os.path.join(folder, CHECKED)] + ACCEPT, locale, user=user)
        session.finish(5, errors=complaint(text.format(node=printer.node, rule=rule)))
        assert session.text() == "TARVELIN chromalux 4410N (72K0030000)\n", "more than the caption"
        assert printer.received == b"", "the printer took data"
        bus.unplug_all()
    shutil.rmtree(folder)


def timeout(bus):
    """The shipped program gives up on a silent printer after its 30 seconds."""
    bus.plug(1, PRINTER, stalls_after=0)
    started = time.monotonic()
    session = Session(program("fwupdater", *ACCEPT), ENGLISH)
    reason = complaint(EN["TimedOut"].format(seconds=WRITE_TIMEOUT))
    session.finish(1, errors=reason, seconds=WRITE_TIMEOUT * 3)
    waited = time.monotonic() - started
    assert WRITE_TIMEOUT - 2 < waited < WRITE_TIMEOUT * 2, "gave up after %d s" % waited


def package(bus):
    """lintian finds nothing in the .deb; the rule, applied at installation; one version."""
    subprocess.run(["cpack", "-G", "DEB"], cwd=PROGRAMS, check=True, stdout=subprocess.DEVNULL)
    deb = glob.glob(os.path.join(PROGRAMS, "package", "*.deb"))[0]
    report = output("lintian", deb)
    assert report == "", "lintian:\n" + report
    # lintian asks for the copyright file, the changelog and the manual page itself.
    assert " ./usr/lib/udev/rules.d/%s\n" % RULE in output("dpkg-deb", "-c", deb), "no rule"
    trigger = "--attr-match=idVendor=0e7a --attr-match=idProduct=41c5"
    assert trigger in output("dpkg-deb", "--info", deb, "postinst"), "no trigger"
    version = EN["Version"].format(version=output("dpkg-deb", "--field", deb, "Version").strip(),
                                   size=len(IMAGE), sha256=hashlib.sha256(IMAGE).hexdigest())
    assert output(*program("fwupdater", "-V")) == version + "\n", "not its version and image"


if __name__ == "__main__":
    globals()[sys.argv[2].replace("-", "_")](Bus())
    print("passed")
