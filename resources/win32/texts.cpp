#include "resources/texts.h"

#include "platform/win32.h"

// The string table of the executable, in the language the resource loader picks.
void LoadText(int id, char* buffer, std::size_t size) {
    LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(id), buffer, static_cast<int>(size));
}
