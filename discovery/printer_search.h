// Finding the printer: the configured hardware-ID list or, with none
// configured, the USB device tree, tried through the configured route.
#pragma once

// Releases any open handles, then tries searchIds: the configured list (or
// the USB tree when it is empty) until a search succeeds, then the ID that
// opened the printer. 1 leaves the printer's handles open in the connection,
// 0 leaves none open. hardwareId is left holding the candidate that
// succeeded, or the last one tried.
int FindPrinter();

// Cuts `text` (its first 1,023 characters) at every delimiter into consecutive
// slots of `slotWidth` bytes. Returns the number of tokens; empty tokens are
// never produced and nothing is trimmed. The table must hold every token: the
// search's 127-character list fits 64 slots of 128 bytes.
int SplitIdList(const char* text, const char* delimiters, char* slots, int slotWidth);
