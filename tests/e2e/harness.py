#!/usr/bin/python3
"""End-to-end harness: the real fwupdater.exe under Wine with a virtual
printer.

  harness.py prepare   --build-dir B     the prepared prefix the scenarios copy
  harness.py variants  --build-dir B     build variants for the walk and the
                                         scanner-class route
  harness.py selfcheck --build-dir B     the virtual printer on its own
  harness.py scenario NAME --build-dir B one scenario (see scenarios.py)
  harness.py run --exe E                 make run: interactive on $DISPLAY, or
                                         the accept-and-transfer session under Xvfb
"""

import argparse
import hashlib
import json
import os
import shutil
import signal
import subprocess
import sys
import time

import expected
import scenarios
import texts
import vprinter
from person import ScenarioFailure
from winenv import HarnessError, WinePrefix, clone_prefix, create_prefix, install_signal_cleanup

# Every scenario ends within this bound, whatever hangs; ctest's own limit
# for the test lies above it, so the harness still tidies up after itself.
SCENARIO_BUDGET_S = 240


class Config:
    def __init__(self, build_dir, exe=None):
        self.build_dir = os.path.abspath(build_dir)
        self.exe = os.path.abspath(exe or os.path.join(self.build_dir, "fwupdater.exe"))
        self.bin_dir = os.path.join(self.build_dir, "e2e", "bin")
        self.probe = os.path.join(self.bin_dir, "dlgprobe.exe")
        self.devcheck = os.path.join(self.bin_dir, "devcheck.exe")
        self.base_prefix = os.path.join(self.build_dir, "e2e", "base-prefix")
        self.artifacts_root = os.path.join(self.build_dir, "e2e", "artifacts")
        self._image = None

    @property
    def image(self):
        if self._image is None:
            self._image = expected.firmware_image(self.build_dir, self.exe)
        return self._image

    def variant_dir(self, variant):
        return f"{self.build_dir}-{variant}"

    def variant_exe(self, variant):
        return os.path.join(self.variant_dir(variant), "fwupdater.exe")


# The prepared prefix

def prefix_stamp(config):
    digest = hashlib.sha256()
    for image in ("vusbprint.sys", "vusbscan.sys"):
        with open(os.path.join(config.bin_dir, image), "rb") as driver:
            digest.update(driver.read())
    digest.update(vprinter.registry_text(False).encode() + SETTINGS_REG.encode())
    if os.path.isdir(WINE_FONTS):
        digest.update(" ".join(sorted(os.listdir(WINE_FONTS))).encode())
    digest.update(subprocess.run(["wine", "--version"], capture_output=True,
                                 timeout=30).stdout)
    return digest.hexdigest()


WINE_FONTS = "/usr/share/wine/fonts"

# A virtual desktop gives every window its caption bar without a window
# manager; a crash ends the program instead of opening a debugger dialog.
SETTINGS_REG = "\r\n".join([
    "REGEDIT4", "",
    "[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]", '"Desktop"="Default"', "",
    "[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]", '"Default"="1024x768"', "",
    "[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]", '"ShowCrashDialog"=dword:00000000', "",
    ""])


def install_wine_fonts(prefix):
    """Wine's own TrueType fonts (Tahoma for the dialogs, Marlett for the
    caption buttons) into the prefix, where this Wine build looks for them."""
    fonts = os.path.join(prefix.drive_c, "windows", "Fonts")
    os.makedirs(fonts, exist_ok=True)
    for name in sorted(os.listdir(WINE_FONTS)) if os.path.isdir(WINE_FONTS) else []:
        if name.endswith(".ttf"):
            shutil.copy(os.path.join(WINE_FONTS, name), os.path.join(fonts, name))


def prepare(config, force=False):
    """A fresh 32-bit prefix with the drivers installed and the printer
    unplugged; kept between runs while drivers, entries and Wine are the same."""
    stamp_path = os.path.join(config.base_prefix, ".e2e-stamp")
    stamp = prefix_stamp(config)
    if not force and os.path.exists(stamp_path):
        with open(stamp_path) as existing:
            if existing.read() == stamp:
                return
    os.makedirs(os.path.dirname(config.base_prefix), exist_ok=True)
    started = time.monotonic()
    prefix = create_prefix(config.base_prefix,
                           os.path.join(os.path.dirname(config.base_prefix), "prepare.log"))
    try:
        install_wine_fonts(prefix)
        settings = os.path.join(prefix.drive_c, "settings.reg")
        with open(settings, "w", encoding="ascii", newline="") as reg:
            reg.write(SETTINGS_REG)
        prefix.run(["regedit", "/S", "C:\\settings.reg"])
        vprinter.install(prefix, config.bin_dir, attached=False)
    finally:
        prefix.shutdown()
    with open(stamp_path, "w") as out:
        out.write(stamp)
    print(f"prefix prepared in {time.monotonic() - started:.1f} s: {config.base_prefix}")


# Build variants

VARIANTS = {
    "walk": ["-DTARGET_HARDWARE_ID="],
    "scanner": ["-DTARGET_ROUTE=ScanClass"],
}


def build_variants(config, source_dir, toolchain):
    for variant, options in VARIANTS.items():
        build = config.variant_dir(variant)
        started = time.monotonic()
        subprocess.run(["cmake", "-S", source_dir, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                        f"-DCMAKE_TOOLCHAIN_FILE={toolchain}", "-DE2E_VARIANT=ON"] + options,
                       check=True, timeout=300, stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", build, "--target", "fwupdater", "-j", "2"],
                       check=True, timeout=500, stdout=subprocess.DEVNULL)
        print(f"variant {variant} built in {time.monotonic() - started:.1f} s: "
              f"{config.variant_exe(variant)}")


# The virtual printer on its own, through a tiny program of our own

def selfcheck(config):
    artifacts = os.path.join(config.artifacts_root, "virtual-printer")
    shutil.rmtree(artifacts, ignore_errors=True)
    os.makedirs(artifacts)
    prefix = WinePrefix(os.path.join(artifacts, "prefix"))
    clone_prefix(config.base_prefix, prefix.path)
    prefix.keep_running()
    failures = []

    def expect(what, condition):
        if not condition:
            failures.append(what)

    def devcheck(*args):
        output = prefix.run([config.devcheck] + [str(a) for a in args], timeout=60, check=False)
        return [json.loads(line) for line in output.splitlines() if line.startswith("{")]

    try:
        listed = devcheck("list")
        expect("no printing interface while unplugged",
               not [item for item in listed if "path" in item])
        scanners = [item for item in listed if "scanner" in item]
        expect(f"still-image devices answer their descriptors: {scanners}",
               [(s["scanner"], s["ioctl"], s["vendor"], s["product"]) for s in scanners] ==
               [(n, 1, v, p) for n, (v, p) in enumerate(vprinter.SCANNER_DESCRIPTORS)])

        vprinter.attach(prefix)
        listed = devcheck("list")
        interfaces = [item for item in listed if "path" in item]
        expect(f"one printing interface with the printer's IDs: {interfaces}",
               [(i["path"], i["hardware_ids"]) for i in interfaces] ==
               [("\\\\?\\" + vprinter.INTERFACE_LINK,
                 [vprinter.HARDWARE_ID + "&REV_0100", vprinter.HARDWARE_ID])])

        results = devcheck("print", 64, texts.CHUNK, 7)
        expect(f"writes reach the sink: {results}",
               [(r["write"], r["ok"], r["written"]) for r in results if "write" in r] ==
               [(64, 1, 64), (texts.CHUNK, 1, texts.CHUNK), (7, 1, 7)])
        expect("sink holds every byte", len(vprinter.received(prefix)) == 64 + texts.CHUNK + 7)

        vprinter.set_aside(prefix, vprinter.PRINT_ENDPOINT, "first")
        vprinter.set_control(prefix, vprinter.PRINT_ENDPOINT, "limit", 100)
        results = devcheck("print", 64, 64, 64)
        expect(f"a printer that goes away refuses writes with 1167: {results}",
               [(r["ok"], r["written"], r["error"]) for r in results if "write" in r] ==
               [(1, 64, 0), (1, 64, 0), (0, 0, 1167)])
        expect("nothing is kept after the unplug", len(vprinter.received(prefix)) == 128)

        vprinter.detach(prefix)
        expect("the interface goes with the unplug",
               not [item for item in devcheck("list") if "path" in item])

        pipe = vprinter.scanner_endpoint(vprinter.PRINTER_SCANNER_NUMBER, 0)
        results = devcheck("scan", vprinter.PRINTER_SCANNER_NUMBER, 0, 64, 1000)
        expect(f"pipe 0 of the still-image printer takes writes: {results}",
               [r.get("ok") for r in results if "write" in r] == [1, 1] and
               len(vprinter.received(prefix, pipe)) == 1064)
    finally:
        prefix.shutdown()
    if failures:
        print("virtual printer self-check failed:\n  " + "\n  ".join(failures), file=sys.stderr)
        return 1
    shutil.rmtree(prefix.path, ignore_errors=True)
    print("virtual printer self-check passed")
    return 0


# make run

def without_virtual_desktop(prefix):
    """On a real display the desktop's own window manager draws the frames:
    drop the virtual desktop from the stopped prefix's user registry file."""
    path = os.path.join(prefix.path, "user.reg")
    with open(path, encoding="utf-8") as registry:
        lines = registry.read().split("\n")
    section = None
    kept = []
    for line in lines:
        if line.startswith("["):
            section = line.split("]")[0]
        if not (section == "[Software\\\\Wine\\\\Explorer" and line == '"Desktop"="Default"'):
            kept.append(line)
    with open(path, "w", encoding="utf-8") as registry:
        registry.write("\n".join(kept))


def run_session(config):
    """With a display: the program on it, the virtual printer attached, until
    the person closes it. Without one: the accept-and-transfer session played
    under Xvfb with screenshots."""
    prepare(config)
    if os.environ.get("DISPLAY"):
        artifacts = os.path.join(config.artifacts_root, "interactive")
        os.makedirs(artifacts, exist_ok=True)
        prefix = WinePrefix(os.path.join(artifacts, "prefix"), os.environ["DISPLAY"])
        clone_prefix(config.base_prefix, prefix.path)
        without_virtual_desktop(prefix)
        prefix.keep_running()
        vprinter.set_control(prefix, vprinter.PRINT_ENDPOINT, "delay", scenarios.WRITE_DELAY_MS)
        vprinter.attach(prefix)
        print("fwupdater.exe is running on your display with the virtual printer attached")
        try:
            program = prefix.start([config.exe], os.path.join(artifacts, "program.log"))
            program.wait()
        finally:
            prefix.shutdown()
        print(f"the printer received {len(vprinter.received(prefix))} bytes: "
              f"{vprinter.sink_path(prefix)}")
        return 0
    stage = scenarios.Stage(config, "session")
    passed = False
    try:
        scenarios.transfer(stage)
        passed = True
    finally:
        stage.close(keep=True)
    received = os.path.join(stage.artifacts, "printer-received.bin")
    log = os.path.join(stage.artifacts, "printer-writes.log")
    shutil.copy(vprinter.sink_path(stage.prefix), received)
    shutil.copy(vprinter.sink_path(stage.prefix)[:-3] + "log", log)
    if passed:
        shutil.rmtree(stage.prefix.path, ignore_errors=True)
    print("accept-and-transfer session played under Xvfb (no $DISPLAY)")
    print("screenshots:")
    for name in sorted(os.listdir(stage.artifacts)):
        if name.endswith(".png") and name[0].isdigit():
            print(f"  {os.path.join(stage.artifacts, name)}")
    print(f"bytes the printer received ({os.path.getsize(received)}: the 64-byte header and "
          f"the image, checked):\n  {received}")
    print(f"its write log:\n  {log}")
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["prepare", "variants", "selfcheck", "scenario", "run"])
    parser.add_argument("name", nargs="?")
    parser.add_argument("--build-dir")
    parser.add_argument("--exe")
    parser.add_argument("--source-dir")
    parser.add_argument("--toolchain")
    args = parser.parse_args()
    build_dir = args.build_dir or os.path.dirname(os.path.abspath(args.exe))
    config = Config(build_dir, args.exe)
    install_signal_cleanup(lambda: None)
    if args.command in ("scenario", "selfcheck"):
        def over_budget(signum, frame):
            raise HarnessError(f"over the time budget of {SCENARIO_BUDGET_S} s")
        signal.signal(signal.SIGALRM, over_budget)
        signal.alarm(SCENARIO_BUDGET_S)
    started = time.monotonic()
    try:
        if args.command == "prepare":
            prepare(config)
            return 0
        if args.command == "variants":
            build_variants(config, args.source_dir, args.toolchain)
            return 0
        if args.command == "selfcheck":
            return selfcheck(config)
        if args.command == "run":
            return run_session(config)
        artifacts = scenarios.run(config, args.name)
        print(f"scenario {args.name} passed in {time.monotonic() - started:.1f} s; "
              f"screenshots in {artifacts}")
        return 0
    except (ScenarioFailure, HarnessError) as failure:
        print(f"scenario {args.name or args.command} FAILED after "
              f"{time.monotonic() - started:.1f} s:\n{failure}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
