"""What a person must see and what the printer must receive, written out
independently of the build so that the end-to-end checks are real checks."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from ui_texts import ENGLISH_TEXTS, JAPANESE_TEXTS  # noqa: E402

CAPTION = "TARVELIN chromalux 4410N (72K0030000)"

# The texts a person must see are the ones the resource check holds the
# executable to; 230 ("OK") is in the tables but no code loads it.
ENGLISH = {k: v for k, v in ENGLISH_TEXTS.items() if k != 230}
JAPANESE = {k: v for k, v in JAPANESE_TEXTS.items() if k != 230}

OK_BUTTON = "OK"

# Control ids of each dialog in template order (tab and stacking order).
AGREEMENT_CONTROLS = [1, 146, 147, 148, 145]
UPDATER_CONTROLS = [1, 2, 110]
PROGRESS_CONTROLS = [111, 114, 112]

IMAGE_SIZE = 254082
CHUNK = 65472
HEADER_START = bytes.fromhex("02FF0400000082E00300")

# One 64-byte header write, then the image in chunks of 65,472 bytes.
IMAGE_WRITES = [64, CHUNK, CHUNK, CHUNK, IMAGE_SIZE - 3 * CHUNK]
PROGRESS_POSITIONS = [0, 25, 51, 77, 100]
PROGRESS_TEXTS = ["", "25 %", "51 %", "77 %", "100 %"]


def header_for(size):
    return bytes([0x02, 0xFF, 0x04, 0, 0, 0]) + size.to_bytes(4, "little") + bytes(54)
