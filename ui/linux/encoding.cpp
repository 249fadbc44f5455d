#include "ui/linux/encoding.h"

#include "platform/linux.h"
#include "ui/linux/terminal.h"

#include <cerrno>
#include <vector>

namespace {

// glibc's name for wchar_t's own encoding.
const char kWide[] = "WCHAR_T";

// Converts `size` bytes; a character that cannot be converted is passed over
// (`unit` bytes of it) and `replacement` written in its place, or, with no
// replacement, the conversion fails. False when it failed.
bool Convert(const char* bytes, std::size_t size, const char* from, const char* to,
             std::size_t unit, const char* replacement, std::string* converted) {
    converted->clear();
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    std::vector<char> out(size * 4 + 16);
    char* in = const_cast<char*>(bytes);
    std::size_t inLeft = size;
    bool complete = true;
    while (inLeft > 0) {
        char* next = out.data();
        std::size_t outLeft = out.size();
        const std::size_t result = iconv(converter, &in, &inLeft, &next, &outLeft);
        converted->append(out.data(), next);
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) {
            continue;
        }
        if (replacement == nullptr || inLeft < unit) {
            complete = false;
            break;
        }
        in += unit;
        inLeft -= unit;
        converted->append(replacement);
    }
    // A character set with shift states returns to its initial one.
    char* next = out.data();
    std::size_t outLeft = out.size();
    iconv(converter, nullptr, nullptr, &next, &outLeft);
    converted->append(out.data(), next);
    iconv_close(converter);
    return complete;
}

std::wstring WideOf(const std::string& bytes) {
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    bytes.copy(reinterpret_cast<char*>(&text[0]), text.size() * sizeof(wchar_t));
    return text;
}

const char* BytesOf(const std::wstring& text) {
    return reinterpret_cast<const char*>(text.data());
}

} // namespace

std::wstring Decode(const char* bytes, std::size_t size, const char* encoding) {
    std::string lineFeeds;
    for (std::size_t i = 0; i < size; ++i) {
        const bool lineEnd = bytes[i] == '\r' && i + 1 < size && bytes[i + 1] == '\n';
        if (!lineEnd) {
            lineFeeds.push_back(bytes[i]);
        }
    }
    std::string wide;
    Convert(lineFeeds.data(), lineFeeds.size(), encoding, kWide, 1, "", &wide);
    return WideOf(wide);
}

std::wstring DecodeUtf8(const std::string& utf8) {
    return Decode(utf8.data(), utf8.size(), "UTF-8");
}

std::string EncodeForTerminal(const std::wstring& text) {
    std::string encoded;
    Convert(BytesOf(text), text.size() * sizeof(wchar_t), kWide, TerminalCodeset(), sizeof(wchar_t),
            "?", &encoded);
    return encoded;
}

bool TerminalCanShow(const std::wstring& text) {
    std::string encoded;
    return Convert(BytesOf(text), text.size() * sizeof(wchar_t), kWide, TerminalCodeset(),
                   sizeof(wchar_t), nullptr, &encoded);
}
