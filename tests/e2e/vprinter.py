"""The virtual printer: registry entries that make it a USB device served by
the printing driver (and, as a second face, numbered still-image devices),
the two test drivers' service keys, and the files through which the drivers
report what they received and take orders to unplug or slow down
(driver/vdev.h describes those files)."""

import os
import shutil

INTERFACE_GUID = "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}"
USB_CLASS_GUID = "{36fc9e60-c465-11cf-8056-444553540000}"
DEVICE_KEY = "VID_0E7A&PID_41C5"
HARDWARE_ID = "USB\\" + DEVICE_KEY
INSTANCE = "6&2B81D3F&0&1"
INSTANCE_ID = f"{HARDWARE_ID}\\{INSTANCE}"
# The device path the printing driver's interface has under Wine: computed
# from the instance id, lower-cased, without the \\?\ in front.
INTERFACE_LINK = f"usb#{DEVICE_KEY}#{INSTANCE}#{INTERFACE_GUID}".lower()
INTERFACE_KEY = (f"HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\DeviceClasses\\"
                 f"{INTERFACE_GUID}\\##?#USB#{DEVICE_KEY}#{INSTANCE}#{INTERFACE_GUID}")
LINKED_KEY = INTERFACE_KEY + "\\#\\Control"

# Numbered still-image devices, by number: a sibling model of the same maker
# first, then the printer, so the probe has to compare both IDs.
SCANNER_DESCRIPTORS = [(0x0E7A, 0x41C4), (0x0E7A, 0x41C5)]
PRINTER_SCANNER_NUMBER = 1

PRINT_ENDPOINT = "print"

# Other USB devices the registry walk passes on its way: a mouse served by
# another driver, and a printer of another model that was once plugged in
# (its key stays, but it offers no interface now). Both sort before ours.
OTHER_USB_DEVICES = [
    ("VID_0E7A&PID_0001", "5&1C2A7E9&0&3", "HidUsb", ["USB\\VID_0E7A&PID_0001"]),
    ("VID_0E7A&PID_3B02", "6&30F1A44&0&2", "usbprint", ["USB\\VID_0E7A&PID_3B02"]),
]


def _reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def _reg_multi(items):
    data = b"".join(item.encode("ascii") + b"\0" for item in items) + b"\0"
    return "hex(7):" + ",".join(f"{byte:02x}" for byte in data)


def _usb_instance(lines, device_key, instance, service, hardware_ids):
    lines += [f"[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\USB\\{device_key}\\"
              f"{instance}]",
              f'"ClassGUID"={_reg_string(USB_CLASS_GUID)}',
              f'"HardwareID"={_reg_multi(hardware_ids)}',
              f'"Service"={_reg_string(service)}', ""]


def _driver_service(lines, name, image, values):
    image_path = "\\SystemRoot\\System32\\drivers\\" + image
    lines += [f"[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\{name}]",
              '"Type"=dword:00000001', '"Start"=dword:00000002', '"ErrorControl"=dword:00000001',
              f'"ImagePath"={_reg_string(image_path)}']
    lines += values + [""]


def registry_text(attached):
    """A REGEDIT4 file (ANSI, so hex(7) data is ANSI too) for a fresh prefix."""
    descriptors = b"".join(vendor.to_bytes(2, "little") + product.to_bytes(2, "little") +
                           bytes([0x00, 0x01, 0x09, 0x04])
                           for vendor, product in SCANNER_DESCRIPTORS)
    lines = ["REGEDIT4", ""]
    _driver_service(lines, "usbprint", "vusbprint.sys",
                    [f'"InterfaceLink"={_reg_string(INTERFACE_LINK)}'])
    _driver_service(lines, "usbscan", "vusbscan.sys",
                    ['"Descriptors"=hex:' + ",".join(f"{b:02x}" for b in descriptors)])
    for device_key, instance, service, ids in OTHER_USB_DEVICES:
        _usb_instance(lines, device_key, instance, service, ids)
    _usb_instance(lines, DEVICE_KEY, INSTANCE, "usbprint",
                  [HARDWARE_ID + "&REV_0100", HARDWARE_ID])
    lines += [f"[{INTERFACE_KEY}]", f'"DeviceInstance"={_reg_string(INSTANCE_ID)}', "",
              f"[{LINKED_KEY}]", f'"Linked"=dword:{1 if attached else 0:08x}', ""]
    return "\r\n".join(lines)


def install(prefix, driver_dir, attached=False):
    """Drivers into the prefix and registry entries into its registry; the
    wineserver is left stopped, so the drivers load on the next start."""
    drivers = os.path.join(prefix.drive_c, "windows", "system32", "drivers")
    for image in ("vusbprint.sys", "vusbscan.sys"):
        shutil.copy(os.path.join(driver_dir, image), os.path.join(drivers, image))
    reg_path = os.path.join(prefix.drive_c, "vprinter.reg")
    with open(reg_path, "w", encoding="ascii", newline="") as reg:
        reg.write(registry_text(attached))
    prefix.run(["regedit", "/S", "C:\\vprinter.reg"])
    os.makedirs(folder(prefix), exist_ok=True)
    prefix.wineserver("-w")


def folder(prefix):
    return os.path.join(prefix.drive_c, "vprinter")


def scanner_endpoint(number, pipe):
    return f"scan{number}-{pipe}"


def _path(prefix, endpoint, ext):
    return os.path.join(folder(prefix), f"{endpoint}.{ext}")


def set_control(prefix, endpoint, name, value):
    """Writes a control file whole, so a driver never reads half of it."""
    path = _path(prefix, endpoint, name)
    with open(path + ".tmp", "w") as control:
        control.write(f"{value}\n")
    os.replace(path + ".tmp", path)


def clear_control(prefix, endpoint, name):
    try:
        os.remove(_path(prefix, endpoint, name))
    except FileNotFoundError:
        pass


def is_gone(prefix, endpoint=PRINT_ENDPOINT):
    return os.path.exists(_path(prefix, endpoint, "gone"))


def received(prefix, endpoint=PRINT_ENDPOINT):
    try:
        with open(_path(prefix, endpoint, "bin"), "rb") as sink:
            return sink.read()
    except FileNotFoundError:
        return b""


def sink_path(prefix, endpoint=PRINT_ENDPOINT):
    return _path(prefix, endpoint, "bin")


def writes(prefix, endpoint=PRINT_ENDPOINT):
    """The device's write log: (length, accepted) per write, in order."""
    try:
        with open(_path(prefix, endpoint, "log")) as log:
            entries = [line.split() for line in log if line.strip()]
    except FileNotFoundError:
        return []
    return [(int(length), word == "ok") for length, word in entries]


def set_linked(prefix, linked):
    key = LINKED_KEY.replace("HKEY_LOCAL_MACHINE", "HKLM")
    prefix.run(["reg", "add", key, "/v", "Linked", "/t", "REG_DWORD", "/d", str(int(linked)),
                "/f"])


def attach(prefix):
    """Plugs the printer in: the driver takes data again and the printing
    interface is present."""
    clear_control(prefix, PRINT_ENDPOINT, "gone")
    clear_control(prefix, PRINT_ENDPOINT, "limit")
    set_linked(prefix, True)


def detach(prefix):
    """Unplugs the printer: writes fail and the interface is no longer present."""
    set_control(prefix, PRINT_ENDPOINT, "gone", "")
    set_linked(prefix, False)


def set_aside(prefix, endpoint, name):
    """Keeps what the device received so far under another name and starts
    an empty capture, as a replugged printer starts afresh."""
    for ext in ("bin", "log"):
        source = _path(prefix, endpoint, ext)
        if os.path.exists(source):
            os.replace(source, _path(prefix, f"{endpoint}-{name}", ext))
