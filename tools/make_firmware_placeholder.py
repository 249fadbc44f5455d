#!/usr/bin/python3
"""Writes the placeholder firmware image that the build embeds until the real
image is supplied (cmake -DFIRMWARE_IMAGE=...).

Layout, 254,082 bytes:
  0 ..      2  three binary bytes: block format 1, reserved 0, text length 14
  3 ..     16  identification text: model digits then the version label
 17 ..  65561  0xFF fill
 65562 .. 249855  body: a marker line, then a deterministic byte stream
 249856 .. end    0xFF fill

The body is not periodic, so a transfer that drops, repeats or reorders a chunk
shows up when the received bytes are compared with this file.
"""
import hashlib
import sys

IMAGE_SIZE = 254082
VERSION_LABEL = b"72K0030000"
IDENTIFICATION_TEXT = b"4410" + VERSION_LABEL
BODY_START = 65562
BODY_END = 249856
BODY_MARKER = b"PLACEHOLDER IMAGE FOR fwupdater TESTS - NOT PRINTER FIRMWARE\r\n"


def body_bytes(length):
    out = bytearray(BODY_MARKER)
    counter = 0
    while len(out) < length:
        out += hashlib.sha256(b"fwupdater placeholder body %d" % counter).digest()
        counter += 1
    del out[length:]
    out[-1] = 0x00  # the body never ends in fill, so its end stays visible
    return out


def build_image():
    assert len(IDENTIFICATION_TEXT) == 14
    image = bytearray(b"\xff" * IMAGE_SIZE)
    image[0:3] = bytes([0x01, 0x00, len(IDENTIFICATION_TEXT)])
    image[3:17] = IDENTIFICATION_TEXT
    image[BODY_START:BODY_END] = body_bytes(BODY_END - BODY_START)
    assert len(image) == IMAGE_SIZE
    return bytes(image)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_firmware_placeholder.py OUTPUT")
    with open(sys.argv[1], "wb") as out:
        out.write(build_image())


if __name__ == "__main__":
    main()
