"""The machinery under a scenario: a headless X server, a 32-bit Wine prefix
and the processes started in it. Everything here is started by this harness
and ended by it: children by their pid, the prefix's Wine processes through
that prefix's own wineserver. Every wait has a bound."""

import os
import select
import shutil
import signal
import subprocess
import tempfile
import time

WINE_COMMAND_TIMEOUT = 60


class HarnessError(Exception):
    pass


def stop_child(process, grace=5):
    """Ends a child this harness started, by its pid."""
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout=grace)


class Xvfb:
    """A private X server on a free display number, so that scenarios never
    meet a user's display or each other."""

    def __init__(self, log_path, width=1024, height=768):
        self.width, self.height = width, height
        read_end, write_end = os.pipe()
        self.log = open(log_path, "wb")
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=self.log, stderr=subprocess.STDOUT,
            stdin=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        with os.fdopen(read_end, "rb", buffering=0) as reader:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                ready, _, _ = select.select([reader], [], [], 0.2)
                if ready:
                    chunk = reader.read(16)
                    if not chunk:
                        break
                    number += chunk
                elif self.process.poll() is not None:
                    break
        if not number.strip().isdigit():
            self.stop()
            raise HarnessError("Xvfb did not start")
        self.display = ":" + number.strip().decode()

    def stop(self):
        stop_child(self.process)
        self.log.close()


def wine_environment(prefix, display=None, language=None):
    env = {key: value for key, value in os.environ.items()
           if not key.startswith(("WINE", "LC_", "WAYLAND")) and key not in ("LANG", "DISPLAY")}
    env.update(WINEPREFIX=str(prefix), WINEARCH="win32", WINEDLLOVERRIDES="mscoree,mshtml=",
               WINEDEBUG="-all")
    locale = language or "C.UTF-8"
    env.update(LANG=locale, LC_ALL=locale)
    if display:
        env["DISPLAY"] = display
    return env


class WinePrefix:
    def __init__(self, path, display=None, language=None):
        self.path = path
        self.env = wine_environment(path, display, language)
        self.children = []

    @property
    def drive_c(self):
        return os.path.join(self.path, "drive_c")

    def run(self, args, timeout=WINE_COMMAND_TIMEOUT, check=True):
        """A short Wine command; its output as text. Output goes through files,
        not pipes: the prefix's daemons inherit the first command's handles
        and would hold a pipe open long after the command itself has ended."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            try:
                done = subprocess.run(["wine"] + args, env=self.env, stdin=subprocess.DEVNULL,
                                      stdout=out, stderr=err, timeout=timeout)
            except subprocess.TimeoutExpired:
                raise HarnessError(f"wine {' '.join(args)} took longer than {timeout} s")
            out.seek(0)
            err.seek(0)
            output, errors = out.read(), err.read()
        if check and done.returncode != 0:
            raise HarnessError(f"wine {' '.join(args)} failed with {done.returncode}: "
                               f"{errors.decode(errors='replace')[-2000:]}")
        return output.decode("utf-8", errors="replace")

    def keep_running(self):
        """Starts the prefix's wineserver for good, so drivers and services
        stay up between programs as on a real machine, until shutdown()."""
        self.wineserver("-p")

    def start(self, args, log_path):
        """A long-running Wine program; ended by wait() or by shutdown()."""
        log = open(log_path, "ab")
        process = subprocess.Popen(["wine"] + args, env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=log, stderr=subprocess.STDOUT)
        log.close()
        self.children.append(process)
        return process

    def wineserver(self, flag, timeout=WINE_COMMAND_TIMEOUT):
        try:
            subprocess.run(["wineserver", flag], env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"wineserver {flag} took longer than {timeout} s")

    def shutdown(self):
        """Ends every Wine process of this prefix, then reaps our children."""
        try:
            self.wineserver("-k", timeout=30)
        finally:
            for process in self.children:
                stop_child(process)
            self.children = []


def create_prefix(path, log_path):
    """A fresh 32-bit prefix, written to disk and with its wineserver gone."""
    shutil.rmtree(path, ignore_errors=True)
    prefix = WinePrefix(path)
    with open(log_path, "ab") as log:
        try:
            subprocess.run(["wineboot", "-i"], env=prefix.env, stdin=subprocess.DEVNULL,
                           stdout=log, stderr=subprocess.STDOUT, timeout=180, check=True)
        except (subprocess.TimeoutExpired, subprocess.CalledProcessError) as error:
            prefix.shutdown()
            raise HarnessError(f"wineboot failed: {error}")
    prefix.wineserver("-w", timeout=120)
    return prefix


def clone_prefix(source, target):
    shutil.rmtree(target, ignore_errors=True)
    shutil.copytree(source, target, symlinks=True)


def install_signal_cleanup(cleanup):
    """ctest ends a test that runs too long with SIGTERM: tidy up first."""
    def handler(signum, frame):
        cleanup()
        raise SystemExit(128 + signum)
    signal.signal(signal.SIGTERM, handler)
    signal.signal(signal.SIGINT, handler)
