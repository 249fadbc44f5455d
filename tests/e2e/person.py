"""A person at the machine: looks at the dialogs (through the probe, which
reads every control exactly), types on the keyboard and clicks (xdotool),
presses the updater's buttons (through the probe), and takes screenshots.
Every wait is bounded; when a state is not reached the screenshot and the
full control dump are saved and the scenario fails."""

import json
import os
import subprocess
import time

import texts
from winenv import HarnessError

POLL_SECONDS = 0.15


class ScenarioFailure(Exception):
    pass


def describe(dialogs):
    """A compact picture of the dialogs for a failure message."""
    lines = []
    for dialog in dialogs:
        lines.append(f"  {dialog['kind']} visible={dialog['visible']} enabled={dialog['enabled']} "
                     f"caption={dialog['caption']!r} rect={dialog['rect']}")
        for control in dialog["controls"]:
            extra = "".join(f" {key}={control[key]}" for key in ("check", "pos", "first_line")
                            if key in control)
            text = control["text"]
            if len(text) > 120:
                text = text[:120] + f"... ({len(text)} chars)"
            lines.append(f"    {control['id']} {control['class']} visible={control['visible']} "
                         f"enabled={control['enabled']}{extra} text={text!r}")
    return "\n".join(lines) if lines else "  (no dialog)"


class Person:
    def __init__(self, prefix, display, artifacts, probe):
        self.prefix = prefix
        self.display = display
        self.artifacts = artifacts
        self.probe = probe
        self.shots = 0
        self.x_env = dict(prefix.env, DISPLAY=display)
        # Set by the stage: the program under test, so a wait stops at once
        # when the program has ended instead of running out its time.
        self.program = None
        os.makedirs(artifacts, exist_ok=True)

    # Looking

    def dump(self):
        output = self.prefix.run([self.probe, "dump"], timeout=30)
        dialogs = []
        for line in output.splitlines():
            if line.startswith("{"):
                record = json.loads(line)
                if "kind" in record:
                    dialogs.append(record)
        return dialogs

    def find(self, dialogs, kind):
        found = [dialog for dialog in dialogs if dialog["kind"] == kind]
        return found[0] if found else None

    def wait_for(self, label, predicate, timeout=20):
        """Polls the dialogs until predicate(dialogs) gives something."""
        deadline = time.monotonic() + timeout
        dialogs = []
        while time.monotonic() < deadline:
            ended = self.program.poll() if self.program else None
            dialogs = self.dump()
            result = predicate(dialogs)
            if result:
                return result
            if ended is not None:
                self.fail(label, f"the program ended with exit code {ended}", dialogs)
            time.sleep(POLL_SECONDS)
        self.fail(label, f"not reached within {timeout} s", dialogs)

    def fail(self, label, reason, dialogs=None):
        safe = "".join(c if c.isalnum() or c in "-_" else "-" for c in label)
        shot = os.path.join(self.artifacts, f"FAIL-{safe}.png")
        self._capture(shot)
        if dialogs is None:
            try:
                dialogs = self.dump()
            except HarnessError:
                dialogs = []
        with open(os.path.join(self.artifacts, f"FAIL-{safe}.json"), "w") as out:
            json.dump(dialogs, out, ensure_ascii=False, indent=1)
        raise ScenarioFailure(f"{label}: {reason}\nscreenshot: {shot}\n{describe(dialogs)}")

    def screenshot(self, name, dialog=None):
        """Saves the whole screen, and the dialog alone when one is given."""
        self.shots += 1
        path = os.path.join(self.artifacts, f"{self.shots:02d}-{name}.png")
        self._capture(path)
        if dialog:
            left, top, right, bottom = dialog["rect"]
            crop = os.path.join(self.artifacts, f"dialog-{name}.png")
            subprocess.run(["convert", path, "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                            "+repage", crop], timeout=30, check=False,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path

    def _capture(self, path):
        try:
            subprocess.run(["import", "-window", "root", path], env=self.x_env, timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        except subprocess.TimeoutExpired:
            pass

    # Acting

    def keys(self, *names):
        """Real keystrokes through the X server, to whatever window has focus
        on the virtual desktop; the pointer rests in a corner, out of the way."""
        subprocess.run(["xdotool", "mousemove", "1020", "764"], env=self.x_env, timeout=15,
                       check=True)
        subprocess.run(["xdotool", "key", "--delay", "60"] + list(names), env=self.x_env,
                       timeout=30, check=True)

    def click_at(self, x, y):
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env=self.x_env,
                       timeout=15, check=True)
        subprocess.run(["xdotool", "mousemove", "1020", "764"], env=self.x_env, timeout=15,
                       check=True)

    def press(self, kind, control):
        """Presses a button the way a person can: only a visible, enabled
        button of a visible, enabled dialog."""
        output = self.prefix.run([self.probe, "click", kind, str(control)], timeout=30,
                                 check=False)
        if '"clicked": 1' not in output:
            self.fail(f"press-{kind}-{control}", f"cannot press: {output.strip()}")

    def close_box(self, kind):
        output = self.prefix.run([self.probe, "closebox", kind], timeout=30, check=False)
        try:
            point = json.loads(output.strip().splitlines()[-1])
            return point["x"], point["y"]
        except (ValueError, IndexError, KeyError):
            self.fail(f"closebox-{kind}", f"no close box: {output.strip()}")

    def watch_progress(self, milliseconds):
        log = open(os.path.join(self.artifacts, "progress-watch.jsonl"), "wb")
        process = subprocess.Popen(["wine", self.probe, "watch", str(milliseconds)],
                                   env=self.prefix.env, stdin=subprocess.DEVNULL, stdout=log,
                                   stderr=subprocess.DEVNULL)
        log.close()
        self.prefix.children.append(process)
        return process

    def watched(self, process, milliseconds):
        try:
            process.wait(timeout=milliseconds / 1000 + 15)
        except subprocess.TimeoutExpired:
            self.fail("progress-watch", "the progress watch did not end")
        with open(os.path.join(self.artifacts, "progress-watch.jsonl"), encoding="utf-8") as log:
            return [json.loads(line) for line in log if line.startswith("{")]


# Checks of what a dialog shows, exact to the byte

def check_frame(person, dialog, label, visible=1, enabled=1):
    if dialog["caption"] != texts.CAPTION:
        person.fail(label, f"caption {dialog['caption']!r}, expected {texts.CAPTION!r}")
    if (dialog["visible"], dialog["enabled"]) != (visible, enabled):
        person.fail(label, f"dialog visible={dialog['visible']} enabled={dialog['enabled']}, "
                           f"expected visible={visible} enabled={enabled}")
    left, top, right, bottom = dialog["rect"]
    width, height = dialog["screen"]
    centred = (int((width - (right - left)) / 2), int((height - (bottom - top)) / 2))
    if (left, top) != centred:
        person.fail(label, f"dialog at {left},{top}, centred would be {centred}")


def check_controls(person, dialog, label, order, expected):
    """expected: control id -> {field: value}; fields as the probe names them."""
    ids = [control["id"] for control in dialog["controls"]]
    if ids != order:
        person.fail(label, f"controls {ids}, expected {order}")
    by_id = {control["id"]: control for control in dialog["controls"]}
    for control_id, fields in expected.items():
        for field, value in fields.items():
            if by_id[control_id].get(field) != value:
                person.fail(label, f"control {control_id} {field} = "
                                   f"{by_id[control_id].get(field)!r}, expected {value!r}")


def control(dialog, control_id):
    for item in dialog["controls"]:
        if item["id"] == control_id:
            return item
    return None
