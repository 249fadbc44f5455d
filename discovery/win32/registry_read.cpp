#include "discovery/win32/registry_read.h"

#include <cstring>

int EnumSubkeyNames(HKEY root, const char* path, char* slots, int slotWidth, int slotCount) {
    HKEY key = nullptr;
    if (RegOpenKeyA(root, path, &key) != ERROR_SUCCESS) {
        return 0;
    }
    char name[1024];
    int count = 0;
    for (DWORD index = 0; count < slotCount; ++index) {
        if (RegEnumKeyA(key, index, name, sizeof name) != ERROR_SUCCESS) {
            break;
        }
        const std::size_t length = strnlen(name, sizeof name);
        if (length == sizeof name || length >= static_cast<std::size_t>(slotWidth)) {
            continue;
        }
        std::memcpy(slots + static_cast<std::size_t>(count) * slotWidth, name, length + 1);
        ++count;
    }
    RegCloseKey(key);
    return count;
}

int QueryRegValue(HKEY root, const char* path, const char* valueName, void* buffer, DWORD size) {
    HKEY key = nullptr;
    if (RegOpenKeyA(root, path, &key) != ERROR_SUCCESS) {
        return 0;
    }
    DWORD returned = size;
    const LONG result =
        RegQueryValueExA(key, valueName, nullptr, nullptr, static_cast<BYTE*>(buffer), &returned);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 1 : 0;
}
