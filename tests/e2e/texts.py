"""What a person must see and what the printer must receive, written out
independently of the build so that the end-to-end checks are real checks."""

CAPTION = "TARVELIN chromalux 4410N (72K0030000)"

ENGLISH = {
    219: "Click [Transfer] to start transferring the firmware for update.",
    220: "Printer is not found.\nMake sure that your computer is properly connected to the "
         "printer,and that the printer is turned on.\nTo transfer the firmware again, click "
         "[Retry].",
    221: "Could not transfer the firmware.\nTo transfer the firmware again, click [Retry].",
    222: "Firmware transfer complete. ",
    223: "Transferring the firmware to printer...",
    224: "Transfer",
    225: "Exit",
    226: "Retry",
    227: "Please read the following license agreement. Press the PAGE DOWN key to see the rest "
         "of the agreement.",
    228: "I do not accept the terms of the license agreement.",
    229: "I accept the terms of the license agreement.",
}

JAPANESE = {
    219: "ファームウェアを更新しますか？",
    220: "プリンターが見つかりません。\nPCとプリンターが正しく接続されているか、プリンターの電源が"
         "入っているか確認して「再実行」をクリックしてください。",
    221: "ファームウェア更新に失敗しました。\n再度更新する場合は「再実行」をクリックしてください。",
    222: "ファームウェアは正常に更新できました。",
    223: "ファームウェア更新中…",
    224: "実行",
    225: "終了",
    226: "再実行",
    227: "以下の使用許諾同意書をお読みください。同意書の残りの部分を表示するには、[Page Down]キーを"
         "押してください。",
    228: "使用許諾同意書に同意しません。",
    229: "使用許諾同意書に同意します。",
}

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
