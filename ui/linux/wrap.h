// Text cut into lines that fit a terminal, as a person reads it: at spaces,
// and between two wide (East Asian) characters, never inside a word unless
// the word alone is longer than a line.
#pragma once

#include <string>

// Every line of `text` cut to at most `columns` display columns (wcwidth).
// A line's leading spaces are kept; the spaces where it was cut are not.
std::wstring WrapText(const std::wstring& text, int columns);
