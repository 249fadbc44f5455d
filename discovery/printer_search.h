// Finding the printer: the configured hardware-ID list or, with none
// configured, the USB enumeration tree, tried through the configured route.
#pragma once

// Releases any open handles, then searches; 1 leaves the printer's handles open
// in the connection, 0 leaves none open.
int FindPrinter();

// Cuts `text` at every delimiter into consecutive slots of `slotWidth` bytes.
// Returns the number of tokens; empty tokens are never produced.
int SplitIdList(const char* text, const char* delimiters, char* slots, int slotWidth);
