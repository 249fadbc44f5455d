// Fake machine area: the registry under HKEY_LOCAL_MACHINE (set-up and
// observation for tests).
//
// Paths are backslash-separated below HKEY_LOCAL_MACHINE and compared without
// regard to letter case, as Windows does. Every key that RegOpenKeyA opens is a
// handle of kind RegistryKey in the kernel's handle table, so a key left open
// or closed twice shows in OpenHandleCount and BadReleaseCount.
#pragma once

#include "platform/win32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace fake {

// Creates the key and any missing parent. A new subkey takes its place in the
// order Windows and Wine enumerate: sorted without regard to letter case.
void AddRegistryKey(const std::string& path);
// Sets a value of the key (created when missing) to exactly these bytes.
void SetRegistryValue(const std::string& path, const std::string& name,
                      const std::vector<std::uint8_t>& bytes);
// Sets a text value: the characters and their terminating NUL.
void SetRegistryString(const std::string& path, const std::string& name, const std::string& text);
// false: RegOpenKeyA on this very key fails with ERROR_ACCESS_DENIED.
void SetRegistryKeyOpenable(const std::string& path, bool openable);
// Enumeration order of the key's subkeys: the ones named come first, in this
// order; the others follow in their present order.
void SetSubkeyOrder(const std::string& path, const std::vector<std::string>& names);

// Paths asked of RegOpenKeyA (below HKEY_LOCAL_MACHINE), opened or not, in order.
std::vector<std::string> RegistryOpenLog();
// Calls of any of the four registry functions.
int RegistryCallCount();

} // namespace fake
