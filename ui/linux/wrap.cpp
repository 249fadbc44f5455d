#include "ui/linux/wrap.h"

#include "platform/linux.h"

#include <vector>

namespace {

// Japanese line-breaking rules: these never start a line, or never end one.
const wchar_t kNoBreakBefore[] =
    L"、。，．・：；？！ー」』）〕］｝〉》】…‥々ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ";
const wchar_t kNoBreakAfter[] = L"「『（〔［｛〈《【";

// What may not be cut: a word with the spaces before it.
struct Piece {
    std::wstring spaces;
    std::wstring word;
};

int ColumnsOf(wchar_t c) {
    const int columns = wcwidth(c);
    if (columns < 0) {
        return 1;
    }
    return columns;
}

int ColumnsOf(const std::wstring& text) {
    int columns = 0;
    for (wchar_t c : text) {
        columns += ColumnsOf(c);
    }
    return columns;
}

bool MayBreakBetweenWide(wchar_t before, wchar_t after) {
    if (ColumnsOf(before) != 2 || ColumnsOf(after) != 2) {
        return false;
    }
    return std::wcschr(kNoBreakBefore, after) == nullptr &&
           std::wcschr(kNoBreakAfter, before) == nullptr;
}

std::vector<Piece> PiecesOf(const std::wstring& line) {
    std::vector<Piece> pieces;
    std::size_t at = 0;
    while (at < line.size()) {
        Piece piece;
        while (at < line.size() && line[at] == L' ') {
            piece.spaces += line[at++];
        }
        while (at < line.size() && line[at] != L' ') {
            piece.word += line[at++];
            if (at < line.size() && MayBreakBetweenWide(line[at - 1], line[at])) {
                break;
            }
        }
        pieces.push_back(piece);
    }
    return pieces;
}

// Cuts a word longer than a line wherever the line is full.
void CutLongWord(std::wstring* line, int columns, std::wstring* out) {
    while (ColumnsOf(*line) > columns) {
        std::size_t fits = 0;
        int used = 0;
        while (used + ColumnsOf((*line)[fits]) <= columns) {
            used += ColumnsOf((*line)[fits++]);
        }
        if (fits == 0) {
            fits = 1; // a wide character in a one-column line
        }
        *out += line->substr(0, fits) + L'\n';
        line->erase(0, fits);
    }
}

std::wstring WrapLine(const std::wstring& text, int columns) {
    std::wstring out;
    std::wstring line;
    bool first = true;
    for (const Piece& piece : PiecesOf(text)) {
        const std::wstring joined = line + piece.spaces + piece.word;
        if (first || ColumnsOf(joined) <= columns) {
            line = joined;
        } else if (!piece.word.empty()) {
            out += line + L'\n';
            line = piece.word;
        }
        first = false;
        CutLongWord(&line, columns, &out);
    }
    return out + line;
}

} // namespace

std::wstring WrapText(const std::wstring& text, int columns) {
    std::wstring wrapped;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(L'\n', start);
        wrapped += WrapLine(text.substr(start, end - start), columns);
        if (end == std::wstring::npos) {
            return wrapped;
        }
        wrapped += L'\n';
        start = end + 1;
    }
}
