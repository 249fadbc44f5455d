// Where each system keeps the string table: the configuration entries and
// the user-interface texts in the language of the user interface.
#pragma once

#include <cstddef>

// Copies entry `id` into `buffer`, cut to size - 1 bytes and terminated. An
// entry that does not exist gives the empty text.
void LoadText(int id, char* buffer, std::size_t size);
