"""The program under test, driven as a person would: lines typed into its
input (a pipe, or a pseudo-terminal), its output read as it comes."""

import fcntl
import os
import pty
import select
import subprocess
import termios
import time

# ASan must follow umockdev's preload library; a sanitizer's finding ends
# the program with a code no outcome of its own has.
SANITIZERS = {"ASAN_OPTIONS": "verify_asan_link_order=0:exitcode=99",
              "UBSAN_OPTIONS": "print_stacktrace=1:exitcode=99"}
LOCALE_VARIABLES = ("LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE")


def wait_until(condition, failure, seconds=10):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError(failure)
        time.sleep(0.05)


def take_terminal():
    # Ctrl-C on the terminal reaches the program only if it is its own.
    fcntl.ioctl(0, termios.TIOCSCTTY, 0)


class Session:
    def __init__(self, command, variables, terminal=False, user=None):
        environment = {name: value for name, value in os.environ.items()
                       if name not in LOCALE_VARIABLES}
        environment.update(SANITIZERS)
        environment.update(variables)
        if user is not None:
            command = ["setpriv", "--reuid=" + user, "--regid=nogroup", "--clear-groups"] + command
        self.terminal = terminal
        if terminal:
            self.input, child_side = pty.openpty()
            self.output = self.input
            self.process = subprocess.Popen(command, env=environment, stdin=child_side,
                                            stdout=child_side, stderr=child_side,
                                            start_new_session=True, preexec_fn=take_terminal)
            os.close(child_side)
        else:
            self.process = subprocess.Popen(command, env=environment, stdin=subprocess.PIPE,
                                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            self.input = self.process.stdin.fileno()
            self.output = self.process.stdout.fileno()
        self.raw = b""
        self.seen = 0
        self.ended = False

    def text(self):
        """Everything shown so far, line ends as the program wrote them."""
        return self.raw.decode("utf-8", "replace").replace("\r\n", "\n")

    def read_more(self, deadline):
        ready, _, _ = select.select([self.output], [], [], max(0, deadline - time.monotonic()))
        if not ready:
            return False
        try:
            chunk = os.read(self.output, 65536)
        except OSError:  # a pseudo-terminal whose program has ended
            chunk = b""
        self.raw += chunk
        self.ended = chunk == b""
        return not self.ended

    def expect(self, wanted, seconds=20):
        """Waits for `wanted` to be shown after what was expected before."""
        deadline = time.monotonic() + seconds
        while self.text().find(wanted, self.seen) < 0:
            if not self.read_more(deadline):
                raise AssertionError("never shown: %r\nafter: %s" % (wanted, self.text()[self.seen:]))
        self.seen = self.text().find(wanted, self.seen) + len(wanted)

    def open_files(self):
        """While the program waits for a line, nothing it holds comes or goes."""
        folder = "/proc/%d/fd" % self.process.pid
        return [os.readlink(os.path.join(folder, name)) for name in os.listdir(folder)]

    def type(self, line):
        ending = "\n"
        if self.terminal:
            ending = "\r"
        os.write(self.input, (line + ending).encode())

    def interrupt(self):
        os.write(self.input, b"\x03")

    def finish(self, code, seconds=30):
        """Ends the input (a person who types nothing more), waits for the
        program to leave and checks its exit code."""
        if not self.terminal:
            self.process.stdin.close()
        deadline = time.monotonic() + seconds
        while self.read_more(deadline):
            pass
        self.process.wait(max(0, deadline - time.monotonic()))
        if self.process.returncode != code:
            raise AssertionError("exit code %d, not %d; shown:\n%s"
                                 % (self.process.returncode, code, self.text()))
