// JSON string output shared by the end-to-end helper programs.
#pragma once

#include <stdio.h>

// Prints UTF-8 (or plain ASCII) text as a JSON string literal.
static inline void PrintJsonString(const char* text) {
    putchar('"');
    for (const unsigned char* c = (const unsigned char*)text; *c; ++c) {
        if (*c == '"' || *c == '\\')
            printf("\\%c", *c);
        else if (*c < 0x20)
            printf("\\u%04x", *c);
        else
            putchar(*c);
    }
    putchar('"');
}
