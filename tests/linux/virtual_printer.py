"""USB devices on umockdev's testbed (the process runs under umockdev-wrapper)
that answer libusb's usbdevfs requests as the kernel would, recording all."""

import errno
import os
import struct
import time

import gi

gi.require_version("UMockdev", "1.0")
from gi.repository import UMockdev  # noqa: E402

SUBMITURB = 0x8038550A
DISCARDURB = 0x0000550B
REAPURBNDELAY = 0x4008550D
RELEASEINTERFACE = 0x80045510
GET_CAPABILITIES = 0x8004551A
DISCONNECT_CLAIM = 0x8108551B  # libusb's claim with auto-detach
DRIVER_IOCTL = 0xC0105512  # struct usbdevfs_ioctl: interface, then the code at byte 4
DRIVER_CONNECT = 0x5517  # that code: bind the interface's kernel driver again
# Bulk continuation and scatter-gather among them: libusb then submits each
# bulk transfer as one URB, so every write is seen whole.
CAPABILITIES = 0x1F
# struct usbdevfs_urb on x86-64: its size and the offsets of its fields.
URB_SIZE = 56
URB_ENDPOINT = 1
URB_STATUS = 4
URB_BUFFER = 16
URB_BUFFER_LENGTH = 24
URB_ACTUAL_LENGTH = 28

VENDOR = 0x0E7A
PRINTER_CLASS = (7, 1, 2)
IMAGING_CLASS = (6, 1, 1)


def descriptors(product, interface_class):
    """Device, configuration, one interface of that class, bulk IN 0x82, then OUT 0x01."""
    device = struct.pack("<BBHBBBBHHHBBBB", 18, 1, 0x0200, 0, 0, 0, 64, VENDOR, product,
                         0x0100, 0, 0, 0, 1)
    config = struct.pack("<BBHBBBBB", 9, 2, 32, 1, 1, 0, 0xC0, 1)
    interface = struct.pack("<BBBBBBBBB", 9, 4, 0, 0, 2, *interface_class, 0)
    bulk_in = struct.pack("<BBBBHB", 7, 5, 0x82, 2, 512, 0)
    bulk_out = struct.pack("<BBBBHB", 7, 5, 0x01, 2, 512, 0)
    return device + config + interface + bulk_in + bulk_out


class Device(UMockdev.IoctlBase):
    """Records the bytes, the length of each write, the endpoints. Past
    `unplugs_after` bytes it answers ENODEV; at `stalls_after` it stops inside
    a write until that is cancelled. A `busy` one is claimed by another
    program. A claim detaches its kernel driver; a request after the release
    binds it again."""

    def __init__(self, unplugs_after=None, stalls_after=None, busy=False):
        super().__init__()
        self.unplugs_after = unplugs_after
        self.stalls_after = stalls_after
        self.busy = busy
        self.claimed = False
        self.driver_bound = True
        self.unplugged = False
        self.received = bytearray()
        self.writes = []
        self.endpoints = set()
        self.connects = 0
        self.held = {}
        self.reapable = []

    def do_client_connected(self, client):
        self.connects += 1

    def do_handle_ioctl(self, client):
        result, error = self.answer(client.get_request(), client.get_arg())
        client.complete(result, error)
        return True

    def answer(self, request, arg):
        if self.unplugged:
            return -1, errno.ENODEV
        if request == GET_CAPABILITIES:
            arg.resolve(0, 4).update(0, struct.pack("<I", CAPABILITIES))
            return 0, 0
        if request == DISCONNECT_CLAIM and self.busy:
            return -1, errno.EBUSY
        if request == DISCONNECT_CLAIM:
            self.claimed = True
            self.driver_bound = False
            return 0, 0
        if request == RELEASEINTERFACE:
            self.claimed = False
            return 0, 0
        if request == DRIVER_IOCTL and not self.claimed:
            code = struct.unpack_from("<i", arg.resolve(0, 16).retrieve(), 4)[0]
            if code == DRIVER_CONNECT:
                self.driver_bound = True
                return 0, 0
        if request == SUBMITURB:
            return self.submit(arg)
        if request == REAPURBNDELAY and self.reapable:
            # The argument points at the program's URB pointer.
            arg.resolve(0, 8).set_ptr(0, self.reapable.pop(0))
            return 0, 0
        if request == REAPURBNDELAY:
            return -1, errno.EAGAIN
        if request == DISCARDURB and arg.retrieve() in self.held:
            urb = self.held.pop(arg.retrieve())
            urb.update(URB_STATUS, struct.pack("<i", -errno.ENOENT))
            self.reapable.append(urb)
            self.stalls_after = None
            return 0, 0
        return -1, errno.ENOTTY

    def submit(self, arg):
        address = arg.retrieve()  # how DISCARDURB names the URB
        urb = arg.resolve(0, URB_SIZE)
        fields = urb.retrieve()
        length = struct.unpack_from("<i", fields, URB_BUFFER_LENGTH)[0]
        if self.unplugs_after is not None and len(self.received) + length > self.unplugs_after:
            self.unplugged = True
            return -1, errno.ENODEV
        taken = length
        if self.stalls_after is not None and len(self.received) + length > self.stalls_after:
            taken = self.stalls_after - len(self.received)
        self.received += urb.resolve(URB_BUFFER, length).retrieve()[:taken]
        self.writes.append(length)
        self.endpoints.add(fields[URB_ENDPOINT])
        urb.update(URB_ACTUAL_LENGTH, struct.pack("<i", taken))
        if taken < length:
            self.held[address] = urb
        else:
            self.reapable.append(urb)
        return 0, 0


class Bus:
    """Bus 1 of a testbed; a device plugs into a port and gets the next address."""

    def __init__(self):
        self.testbed = UMockdev.Testbed.new()
        self.root = self.testbed.get_root_dir()
        # Set in the C environment only; programs get Python's copy.
        os.environ["UMOCKDEV_DIR"] = self.root
        # Open to other users (the preload makes sockets in the root and
        # connects to a device's even when the open of its node is refused);
        # the nodes stay root's, mode 0644.
        os.chmod(self.root, 0o1777)
        self.next_address = 2
        self.plugged = {}

    def plug(self, port, product, interface_class=PRINTER_CLASS, **behaviour):
        device = Device(**behaviour)
        device.node = "/dev/bus/usb/001/%03d" % self.next_address
        self.testbed.attach_ioctl(device.node, device)
        os.chmod(self.root + "/ioctl" + device.node, 0o777)
        # The udev database's form; an attribute's text ends in an escaped newline.
        description = [
            "P: /devices/usb1/1-%d" % port,
            "N: " + device.node[len("/dev/"):],
            "E: SUBSYSTEM=usb",
            "E: DEVTYPE=usb_device",
            "E: DEVNAME=" + device.node,
            "A: busnum=1\\n",
            "A: devnum=%d\\n" % self.next_address,
            "A: bConfigurationValue=1\\n",
            "H: descriptors=" + descriptors(product, interface_class).hex(),
        ]
        self.testbed.add_from_string("\n".join(description) + "\n")
        self.next_address += 1
        self.plugged[port] = device
        # The add uevent reaches a running libusb's own thread: a person is slower.
        time.sleep(0.2)
        return device

    def unplug(self, port):
        device = self.plugged.pop(port)
        syspath = "/sys/devices/usb1/1-%d" % port
        # Removing sends no uevent, without which libusb keeps listing it.
        self.testbed.uevent(syspath, "remove")
        self.testbed.remove_device(syspath)
        self.testbed.detach_ioctl(device.node)

    def unplug_all(self):
        for port in list(self.plugged):
            self.unplug(port)
