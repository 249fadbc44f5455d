"""The program under test, driven as a person would: lines typed into its
input, its output read as it comes; on a terminal of its own if asked."""

import os
import select
import shlex
import subprocess
import time

# ASan must follow umockdev's preload library; a sanitizer's finding ends
# the program with a code no outcome of its own has.
SANITIZERS = {"ASAN_OPTIONS": "verify_asan_link_order=0:exitcode=99",
              "UBSAN_OPTIONS": "print_stacktrace=1:exitcode=99"}
LOCALE_VARIABLES = ("LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE")


class Session:
    def __init__(self, command, variables, terminal=False, user=None):
        environment = {name: value for name, value in os.environ.items()
                       if name not in LOCALE_VARIABLES}
        environment.update(SANITIZERS)
        environment.update(variables)
        if user is not None:
            command = ["setpriv", "--reuid=" + user, "--regid=nogroup", "--clear-groups"] + command
        self.enter = "\n"
        if terminal:
            # script runs it on a pseudo-terminal, passing keys and output
            # through, and returns its exit code. Its shell execs the program:
            # a shell left waiting (dash) would die of the Ctrl-C itself.
            command = ["script", "--quiet", "--return", "--command",
                       "exec " + shlex.join(command), "/dev/null"]
            self.enter = "\r"
        self.process = subprocess.Popen(command, env=environment, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.raw = b""
        self.seen = 0

    def text(self):
        """Everything shown so far, with a terminal's line ends as a pipe's."""
        return self.raw.decode("utf-8", "replace").replace("\r\n", "\n")

    def read_more(self, deadline):
        output = self.process.stdout.fileno()
        ready, _, _ = select.select([output], [], [], max(0, deadline - time.monotonic()))
        if not ready:
            return False
        chunk = os.read(output, 65536)
        self.raw += chunk
        return chunk != b""

    def expect(self, *texts, seconds=20):
        """Waits for each text to be shown, in order, after those expected before."""
        deadline = time.monotonic() + seconds
        for wanted in texts:
            while self.text().find(wanted, self.seen) < 0:
                if not self.read_more(deadline):
                    raise AssertionError("never shown: %r\nafter: %s"
                                         % (wanted, self.text()[self.seen:]))
            self.seen = self.text().find(wanted, self.seen) + len(wanted)

    def open_files(self):
        """While the program waits for a line, nothing it holds comes or goes."""
        folder = "/proc/%d/fd" % self.process.pid
        return [os.readlink(os.path.join(folder, name)) for name in os.listdir(folder)]

    def type(self, *lines):
        for line in lines:
            self.process.stdin.write((line + self.enter).encode())
        self.process.stdin.flush()

    def interrupt(self):
        self.process.stdin.write(b"\x03")
        self.process.stdin.flush()

    def finish(self, code, seconds=30):
        """Ends the input, waits for the program to leave, checks its exit code."""
        self.process.stdin.close()
        deadline = time.monotonic() + seconds
        while self.read_more(deadline):
            pass
        self.process.wait(max(0, deadline - time.monotonic()))
        assert self.process.returncode == code, "exit code %d, not %d; shown:\n%s" % (
            self.process.returncode, code, self.text())
