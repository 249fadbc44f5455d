"""The program under test, driven as a person would, through pipes or a terminal."""

import os
import re
import select
import shlex
import shutil
import subprocess
import time
import unicodedata

# ASan must follow umockdev's preload library; a sanitizer's finding ends
# the program with a code no outcome of its own has.
SANITIZERS = {"ASAN_OPTIONS": "verify_asan_link_order=0:exitcode=99",
              "UBSAN_OPTIONS": "print_stacktrace=1:exitcode=99"}
CLEARED = ("LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE", "LC_CTYPE", "PAGER", "COLUMNS")
# Found before a case narrows PATH for the program.
SCRIPT = shutil.which("script")
STTY = shutil.which("stty")


def columns_of(text):
    return sum(2 if unicodedata.east_asian_width(char) in "WF" else 1 for char in text)


def wrappable(text):
    """`text` wrapped: a line end for a space, or between two wide characters."""
    pattern = re.escape(text).replace("\\ ", "(?: |\n)")
    return re.sub("(?<=[^\x00-\x7f])(?=[^\x00-\x7f])", "\n?", pattern)


class Session:
    """On a terminal of `columns`, standard error joining the output, or on pipes."""

    def __init__(self, command, variables, columns=None, user=None):
        environment = {name: os.environ[name] for name in os.environ if name not in CLEARED}
        environment = dict(environment, **SANITIZERS, **variables)
        if user is not None:
            command = ["setpriv", "--reuid=" + user, "--regid=nogroup", "--clear-groups"] + command
        self.columns = columns
        if columns is not None:
            # Its shell execs the program: a shell left waiting (dash) would
            # die of the Ctrl-C itself.
            command = [SCRIPT, "--quiet", "--return", "--command", "%s cols %d rows 24; exec %s"
                       % (STTY, columns, shlex.join(command)), "/dev/null"]
            # A person's terminal names its kind, a test machine's shell may not.
            environment.setdefault("TERM", "xterm")
        self.process = subprocess.Popen(command, env=environment, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.names = {self.process.stdout.fileno(): "out", self.process.stderr.fileno(): "err"}
        self.reading = list(self.names)
        self.raw = {"out": b"", "err": b""}
        self.seen = 0

    def text(self, stream="out"):
        """All shown on standard output (or "err"), line ends as a pipe's."""
        return self.raw[stream].decode("utf-8", "replace").replace("\r\n", "\n")

    def read_more(self, deadline):
        ready, _, _ = select.select(self.reading, [], [], max(0, deadline - time.monotonic()))
        for stream in ready:
            chunk = os.read(stream, 65536)
            self.raw[self.names[stream]] += chunk
            if chunk == b"":
                self.reading.remove(stream)
        return ready != [] and self.reading != []

    def expect(self, *texts, seconds=20):
        """Waits for each text on standard output in turn, wrapped on a terminal."""
        deadline = time.monotonic() + seconds
        for wanted in texts:
            pattern = re.compile(re.escape(wanted) if self.columns is None else wrappable(wanted))
            while pattern.search(self.text(), self.seen) is None:
                if not self.read_more(deadline):
                    raise AssertionError("never shown: %r\nafter: %s"
                                         % (wanted, self.text()[self.seen:]))
            self.seen = pattern.search(self.text(), self.seen).end()

    def type(self, *lines):
        for line in lines:
            self.press(line + "\n")

    def press(self, keys):
        """Keys as they are; Ctrl-C is "\\x03"."""
        self.process.stdin.write(keys.encode())
        self.process.stdin.flush()

    def finish(self, code, end_input=True, errors=None, seconds=30):
        """Ends the input unless it must leave by itself; checks its exit and errors."""
        if end_input:
            self.process.stdin.close()
        deadline = time.monotonic() + seconds
        while self.read_more(deadline):
            pass
        self.process.wait(max(0, deadline - time.monotonic()))
        assert self.process.returncode == code, "exit code %d, not %d; shown:\n%s%s" % (
            self.process.returncode, code, self.text(), self.text("err"))
        assert errors in (None, self.text("err")), "on standard error: %r" % self.text("err")
