"""The user-interface texts of the string table, entries 219 to 230, in both
language sets: the one written-out copy that the resource check and the
end-to-end checks compare the program against."""

ENGLISH_TEXTS = {
    219: "Click [Transfer] to start transferring the firmware for update.",
    220: "Printer is not found.\nMake sure that your computer is properly connected to "
    "the printer,and that the printer is turned on.\nTo transfer the firmware again, "
    "click [Retry].",
    221: "Could not transfer the firmware.\nTo transfer the firmware again, click [Retry].",
    222: "Firmware transfer complete. ",
    223: "Transferring the firmware to printer...",
    224: "Transfer",
    225: "Exit",
    226: "Retry",
    227: "Please read the following license agreement. Press the PAGE DOWN key to see the "
    "rest of the agreement.",
    228: "I do not accept the terms of the license agreement.",
    229: "I accept the terms of the license agreement.",
    230: "OK",
}

JAPANESE_TEXTS = {
    219: "ファームウェアを更新しますか？",
    220: "プリンターが見つかりません。\nPCとプリンターが正しく接続されているか、"
    "プリンターの電源が入っているか確認して「再実行」をクリックしてください。",
    221: "ファームウェア更新に失敗しました。\n再度更新する場合は「再実行」をクリックしてください。",
    222: "ファームウェアは正常に更新できました。",
    223: "ファームウェア更新中…",
    224: "実行",
    225: "終了",
    226: "再実行",
    227: "以下の使用許諾同意書をお読みください。同意書の残りの部分を表示するには、"
    "[Page Down]キーを押してください。",
    228: "使用許諾同意書に同意しません。",
    229: "使用許諾同意書に同意します。",
    230: "OK",
}
