// Text between the program's character sets and the terminal's, through
// iconv: wide characters inside, for measuring and wrapping.
#pragma once

#include <cstddef>
#include <string>

// `size` bytes in `encoding` (an iconv name), CR LF line ends made LF.
std::wstring Decode(const char* bytes, std::size_t size, const char* encoding);
std::wstring DecodeUtf8(const std::string& utf8);

// In the terminal's character set; a character it has no place for becomes '?'.
std::string EncodeForTerminal(const std::wstring& text);
// Whether the terminal's character set has a place for every character.
bool TerminalCanShow(const std::wstring& text);
