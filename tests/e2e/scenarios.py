"""The end-to-end scenarios: the real executable in a prepared Wine prefix
with the virtual printer, driven like a person, checked exactly."""

import json
import os
import shutil
import time

import expected
import texts
import vprinter
from person import Person, check_controls, check_frame, control
from winenv import WinePrefix, Xvfb, clone_prefix

JAPANESE_LOCALE = "ja_JP.UTF-8"
# Each accepted device write takes this long, as on a real printer, so every
# position of the progress bar stays on screen long enough to be seen.
WRITE_DELAY_MS = 250
WATCH_MS = 30000


def use_cjk_dialog_font(prefix):
    """Wine's Tahoma has no Japanese glyphs and Wine links it only to the
    fonts of a Japanese Windows; here the dialogs' Tahoma becomes the CJK
    font that is installed. A replacement only applies to a missing font."""
    fonts = os.path.join(prefix.drive_c, "windows", "Fonts")
    for name in os.listdir(fonts):
        if name.lower().startswith("tahoma"):
            os.remove(os.path.join(fonts, name))
    prefix.run(["reg", "add", "HKCU\\Software\\Wine\\Fonts\\Replacements", "/v", "Tahoma",
                "/d", "Noto Sans CJK JP", "/f"])


class Stage:
    """One scenario's world: its own X server, its own copy of the prepared
    prefix, the printer plugged in or not, and the program when started."""

    def __init__(self, config, name, exe=None, japanese=False, attached=True):
        self.config = config
        self.name = name
        self.exe = exe or config.exe
        self.japanese = japanese
        self.texts = texts.JAPANESE if japanese else texts.ENGLISH
        self.artifacts = os.path.join(config.artifacts_root, name)
        shutil.rmtree(self.artifacts, ignore_errors=True)
        os.makedirs(self.artifacts)
        self.xvfb = None
        self.prefix = None
        self.program = None
        self.runs = 0
        try:
            self.xvfb = Xvfb(os.path.join(self.artifacts, "xvfb.log"))
            prefix_path = os.path.join(self.artifacts, "prefix")
            clone_prefix(config.base_prefix, prefix_path)
            self.prefix = WinePrefix(prefix_path, self.xvfb.display,
                                     JAPANESE_LOCALE if japanese else None)
            self.prefix.keep_running()
            if japanese:
                use_cjk_dialog_font(self.prefix)
            self.person = Person(self.prefix, self.xvfb.display, self.artifacts, config.probe)
            for endpoint in (vprinter.PRINT_ENDPOINT,
                             vprinter.scanner_endpoint(vprinter.PRINTER_SCANNER_NUMBER, 0)):
                vprinter.set_control(self.prefix, endpoint, "delay", WRITE_DELAY_MS)
            if attached:
                vprinter.attach(self.prefix)
            else:
                vprinter.detach(self.prefix)
        except BaseException:
            self.close(keep=True)
            raise

    def launch(self):
        self.runs += 1
        self.program = self.prefix.start([self.exe],
                                         os.path.join(self.artifacts, f"program-{self.runs}.log"))
        self.person.program = self.program

    def wait_exit(self, label, timeout=15, watch_for_updater=False):
        """Waits for the program to end; it must end with 0. With
        watch_for_updater the updater must not appear meanwhile."""
        deadline = time.monotonic() + timeout
        while self.program.poll() is None and time.monotonic() < deadline:
            if watch_for_updater:
                dialogs = self.person.dump()
                if self.person.find(dialogs, "updater"):
                    self.person.fail(label, "the updater appeared", dialogs)
            time.sleep(0.1)
        if self.program.poll() is None:
            self.person.fail(label, f"the program did not end within {timeout} s")
        if self.program.returncode != 0:
            self.person.fail(label, f"exit code {self.program.returncode}, expected 0")

    def close(self, keep=False):
        if self.prefix:
            self.prefix.shutdown()
        if self.xvfb:
            self.xvfb.stop()
        if self.prefix and not keep:
            shutil.rmtree(self.prefix.path, ignore_errors=True)


# The agreement dialog

def agreement_opens(stage, label="agreement"):
    person = stage.person

    def shown(dialogs):
        dialog = person.find(dialogs, "agreement")
        return dialog if dialog and dialog["visible"] else None

    dialog = person.wait_for(label, shown, timeout=40)
    check_frame(person, dialog, label)
    tx = stage.texts
    check_controls(person, dialog, label, texts.AGREEMENT_CONTROLS, {
        1: {"text": texts.OK_BUTTON, "visible": 1, "enabled": 1},
        145: {"text": tx[227], "visible": 1},
        147: {"text": tx[228], "check": 1, "visible": 1, "enabled": 1},
        148: {"text": tx[229], "check": 0, "visible": 1, "enabled": 1},
        146: {"visible": 1},
    })
    agreement = expected.agreement_text(stage.config.build_dir, stage.exe, stage.japanese)
    shown_bytes = bytes.fromhex(control(dialog, 146)["ansi"])
    if shown_bytes != agreement:
        person.fail(label, f"agreement text differs: {len(shown_bytes)} bytes shown, "
                           f"{len(agreement)} expected")
    return dialog


def focus_to(stage, label, wanted):
    """Tab, as a person does, until the keyboard focus is on one of wanted."""
    person = stage.person
    for _ in range(8):
        dialog = person.find(person.dump(), "agreement")
        if dialog and dialog["focus"] in wanted:
            return dialog
        person.keys("Tab")
    person.fail(label, f"Tab never reached controls {sorted(wanted)}")


def read_agreement(stage):
    person = stage.person
    focus_to(stage, "agreement-read", {146})
    person.keys("Next", "Next")

    def scrolled(dialogs):
        dialog = person.find(dialogs, "agreement")
        return dialog if dialog and control(dialog, 146)["first_line"] > 0 else None

    dialog = person.wait_for("agreement-page-down", scrolled, timeout=10)
    person.screenshot("agreement-read", dialog)


def choose_accept(stage, label="agreement-accept"):
    person = stage.person
    focus_to(stage, label, {147, 148})
    person.keys("Down")

    def accepted(dialogs):
        dialog = person.find(dialogs, "agreement")
        if dialog and control(dialog, 148)["check"] == 1 and control(dialog, 147)["check"] == 0:
            return dialog
        return None

    return person.wait_for(label, accepted, timeout=10)


def accept_agreement(stage, read=False, shot=None):
    agreement_opens(stage)
    if read:
        read_agreement(stage)
    dialog = choose_accept(stage)
    if shot:
        stage.person.screenshot(shot, dialog)
    stage.person.keys("Return")


# The updater dialog

UPDATER_STATES = {
    # state: (message id, first button label id or None when hidden)
    "ready": (219, 224),
    "not-found": (220, 226),
    "failed": (221, 226),
    "done": (222, None),
}


def updater_shows(stage, state, label=None, timeout=20, first_label=224, shot=None):
    """Waits until the updater shows state, then checks every control."""
    person = stage.person
    label = label or f"updater-{state}"
    message, button = UPDATER_STATES[state]
    tx = stage.texts

    def showing(dialogs):
        dialog = person.find(dialogs, "updater")
        if (dialog and dialog["visible"] and dialog["enabled"] and
                not person.find(dialogs, "progress") and
                control(dialog, 110)["text"] == tx[message]):
            return dialog
        return None

    dialog = person.wait_for(label, showing, timeout=timeout)
    check_frame(person, dialog, label)
    first = ({"text": tx[button], "visible": 1, "enabled": 1} if button else
             {"text": tx[first_label], "visible": 0, "enabled": 0})
    check_controls(person, dialog, label, texts.UPDATER_CONTROLS, {
        110: {"text": tx[message], "visible": 1},
        1: first,
        2: {"text": tx[225], "visible": 1, "enabled": 1},
    })
    if shot:
        person.screenshot(shot, dialog)
    return dialog


def dedupe(values):
    out = []
    for value in values:
        if not out or out[-1] != value:
            out.append(value)
    return out


def run_transfer(stage, succeeds=True, shot=None):
    """Presses the updater's first button and follows the progress dialog
    until it closes; checks what it showed."""
    person = stage.person
    watch = person.watch_progress(WATCH_MS)
    person.press("updater", 1)

    def progressing(dialogs):
        dialog = person.find(dialogs, "progress")
        if dialog and dialog["visible"] and control(dialog, 114)["pos"] >= 25:
            return dialog
        return None

    if succeeds:
        # A failing transfer can close the dialog too soon to be looked at
        # from here; the watch follows it either way.
        dialog = person.wait_for("progress", progressing, timeout=20)
        check_frame(person, dialog, "progress")
        check_controls(person, dialog, "progress", texts.PROGRESS_CONTROLS, {
            112: {"text": stage.texts[223], "visible": 1},
            111: {"visible": 1},
            114: {"visible": 1},
        })
        if shot:
            person.screenshot(shot, dialog)
        # The progress dialog cannot be cancelled: Esc changes nothing.
        person.keys("Escape")
    samples = person.watched(watch, WATCH_MS)
    with open(os.path.join(stage.artifacts, "progress.json"), "w") as out:
        json.dump(samples, out, ensure_ascii=False, indent=1)
    states = [sample for sample in samples if "pos" in sample and sample["progress_visible"]]
    if not samples or not samples[-1].get("closed"):
        person.fail("progress-closed", "the progress dialog did not close")
    count = len(texts.PROGRESS_POSITIONS) if succeeds else 2
    positions = dedupe(sample["pos"] for sample in states)
    percents = dedupe(sample["percent"] for sample in states)
    if positions != texts.PROGRESS_POSITIONS[:count]:
        person.fail("progress-positions", f"bar positions {positions}")
    if percents != texts.PROGRESS_TEXTS[:count]:
        person.fail("progress-texts", f"percentages {percents}")
    for sample in states:
        if sample["message"] != stage.texts[223]:
            person.fail("progress-message", f"message {sample['message']!r}")
        if sample["updater_visible"] or sample["updater_enabled"]:
            person.fail("progress-updater", "the updater was usable during the transfer")


def check_capture(stage, endpoint=vprinter.PRINT_ENDPOINT, label="capture", complete=True):
    """What the printer received: the header and the whole image in the
    chunking the device sees, or the header and first chunk and nothing
    after the refused write."""
    image = stage.config.image
    header = texts.header_for(len(image))
    if header[:10] != texts.HEADER_START:
        stage.person.fail(label, f"header starts {header[:10].hex()}")
    got = vprinter.received(stage.prefix, endpoint)
    writes = vprinter.writes(stage.prefix, endpoint)
    if complete:
        want, want_writes = header + image, [(n, True) for n in texts.IMAGE_WRITES]
    else:
        want = header + image[:texts.CHUNK]
        want_writes = [(64, True), (texts.CHUNK, True), (texts.CHUNK, False)]
    if got != want:
        at = next((i for i, (a, b) in enumerate(zip(got, want)) if a != b),
                  min(len(got), len(want)))
        stage.person.fail(label, f"received {len(got)} bytes, expected {len(want)}; "
                                 f"first difference at offset {at}")
    if writes != want_writes:
        stage.person.fail(label, f"device writes {writes}, expected {want_writes}")


def nothing_received(stage, endpoints, label):
    for endpoint in endpoints:
        if vprinter.received(stage.prefix, endpoint) or vprinter.writes(stage.prefix, endpoint):
            stage.person.fail(label, f"{endpoint} received data")


def exit_updater(stage, label="exit", way="button"):
    """Leaves the updater by its Exit button, the Esc key or the close box."""
    if way == "button":
        stage.person.press("updater", 2)
    elif way == "escape":
        stage.person.keys("Escape")
    else:
        stage.person.click_at(*stage.person.close_box("updater"))
    stage.wait_exit(label)


def all_endpoints():
    endpoints = [vprinter.PRINT_ENDPOINT]
    for number in range(len(vprinter.SCANNER_DESCRIPTORS)):
        endpoints += [vprinter.scanner_endpoint(number, pipe) for pipe in range(3)]
    return endpoints


# The scenarios

def refuse(stage):
    """OK with the default choice, Esc and the close box all end the program
    with 0, and the updater never appears, even with the printer present."""
    stage.launch()
    dialog = agreement_opens(stage)
    stage.person.screenshot("agreement", dialog)
    stage.person.keys("Return")
    stage.wait_exit("refuse-ok", watch_for_updater=True)

    # Esc and the close box refuse even with "I accept" chosen.
    stage.launch()
    agreement_opens(stage, "agreement-2")
    choose_accept(stage, "accept-then-esc")
    stage.person.keys("Escape")
    stage.wait_exit("refuse-esc", watch_for_updater=True)

    stage.launch()
    agreement_opens(stage, "agreement-3")
    choose_accept(stage, "accept-then-close")
    x, y = stage.person.close_box("agreement")
    stage.person.click_at(x, y)
    stage.wait_exit("refuse-close-box", watch_for_updater=True)
    nothing_received(stage, all_endpoints(), "refuse-capture")


def transfer(stage):
    """Printer present: Ready, Transfer, the progress dialog, the exact bytes,
    Done with only Exit, Exit ends with 0."""
    stage.launch()
    accept_agreement(stage, read=True, shot="agreement-accepted")
    updater_shows(stage, "ready", shot="updater-ready")
    run_transfer(stage, shot="progress")
    updater_shows(stage, "done", shot="updater-done")
    check_capture(stage)
    exit_updater(stage)


def absent_then_retry(stage):
    """No printer at first: Not found with Retry; plug it in; Retry starts
    the transfer at once and it succeeds."""
    stage.launch()
    accept_agreement(stage)
    updater_shows(stage, "not-found", shot="updater-not-found")
    vprinter.attach(stage.prefix)
    run_transfer(stage)
    updater_shows(stage, "done", first_label=226)
    check_capture(stage)
    exit_updater(stage, way="close box")


def unplug(stage):
    """The printer goes away after the first chunk: Failed with Retry and
    nothing written after the refused write; Retry while it is still away
    changes nothing; plugged in again, Retry sends everything afresh."""
    endpoint = vprinter.PRINT_ENDPOINT
    vprinter.set_control(stage.prefix, endpoint, "limit", 64 + texts.CHUNK)
    stage.launch()
    accept_agreement(stage)
    updater_shows(stage, "ready")
    run_transfer(stage, succeeds=False)
    updater_shows(stage, "failed", shot="updater-failed")
    check_capture(stage, label="capture-unplugged", complete=False)
    if not vprinter.is_gone(stage.prefix):
        stage.person.fail("unplug", "the virtual printer did not unplug itself")

    # The interface disappears too, as after a real unplug; Retry finds nothing.
    vprinter.detach(stage.prefix)
    before = vprinter.writes(stage.prefix)
    stage.person.press("updater", 1)
    time.sleep(2)
    updater_shows(stage, "failed", label="retry-while-unplugged", timeout=5)
    if vprinter.writes(stage.prefix) != before:
        stage.person.fail("retry-while-unplugged", "the program wrote to an unplugged printer")

    vprinter.set_aside(stage.prefix, endpoint, "first")
    vprinter.attach(stage.prefix)
    run_transfer(stage)
    updater_shows(stage, "done", first_label=226)
    check_capture(stage, label="capture-after-replug")
    exit_updater(stage)


def japanese(stage):
    """Under a Japanese locale every text comes from the Japanese set, the
    caption stays the same and the same image bytes are sent."""
    stage.launch()
    dialog = agreement_opens(stage)
    stage.person.screenshot("agreement", dialog)
    accept_agreement(stage, shot="agreement-accepted")
    updater_shows(stage, "ready", shot="updater-ready")
    run_transfer(stage, shot="progress")
    updater_shows(stage, "done", shot="updater-done")
    check_capture(stage)
    exit_updater(stage)

    vprinter.detach(stage.prefix)
    stage.launch()
    accept_agreement(stage)
    updater_shows(stage, "not-found", shot="updater-not-found")
    exit_updater(stage, "exit-not-found", way="escape")


def registry_walk(stage):
    """No hardware ID configured: the program walks the USB enumeration keys,
    passes a mouse and an absent printer of another model, and finds ours."""
    entry = expected.string_entry(stage.exe, 16)
    if entry != "":
        stage.person.fail("walk-build", f"entry 16 of this build is {entry!r}, expected empty")
    transfer(stage)


def scanner_route(stage):
    """The scanner-class route: the printer is found among numbered
    still-image devices by vendor and product ID (a sibling model comes
    first) and the image goes through its pipe 0."""
    entry = expected.string_entry(stage.exe, 17)
    if entry in (None, "PrintClass"):
        stage.person.fail("scanner-build", f"entry 17 of this build is {entry!r}")
    # Only the still-image face of the printer is present.
    vprinter.detach(stage.prefix)
    stage.launch()
    accept_agreement(stage)
    updater_shows(stage, "ready")
    run_transfer(stage)
    updater_shows(stage, "done")
    pipe0 = vprinter.scanner_endpoint(vprinter.PRINTER_SCANNER_NUMBER, 0)
    check_capture(stage, endpoint=pipe0)
    nothing_received(stage, [e for e in all_endpoints() if e != pipe0], "scanner-others")
    exit_updater(stage)


SCENARIOS = {
    "refuse": (refuse, {}),
    "transfer": (transfer, {}),
    "absent-then-retry": (absent_then_retry, {"attached": False}),
    "unplug": (unplug, {}),
    "japanese": (japanese, {"japanese": True}),
    "registry-walk": (registry_walk, {"variant": "walk"}),
    "scanner-route": (scanner_route, {"variant": "scanner"}),
}


def run(config, name):
    function, options = SCENARIOS[name]
    options = dict(options)
    variant = options.pop("variant", None)
    exe = config.variant_exe(variant) if variant else config.exe
    stage = Stage(config, name, exe=exe, **options)
    passed = False
    try:
        function(stage)
        passed = True
    finally:
        # A failed scenario keeps its prefix beside the screenshots.
        stage.close(keep=not passed)
    return stage.artifacts
