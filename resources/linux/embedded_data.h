// The agreement texts the Linux program carries, as the build was given them.
#pragma once

#include <cstddef>
#include <cstdint>

struct AgreementText {
    const uint8_t* bytes; // no terminator of its own
    std::size_t size;
    const char* encoding; // for iconv: ASCII English, Shift-JIS (code page 932) Japanese
};

// The agreement in the language of the texts.
AgreementText EmbeddedAgreement();
