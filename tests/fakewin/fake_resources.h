// The program's own resources on the fake machine: the string table and the
// custom resources, in whatever language a test puts in force.
#pragma once

#include "platform/win32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace fake {

// Sets or replaces a string-table entry (ANSI bytes, as LoadStringA hands them out).
void SetString(UINT id, const std::string& text);
void RemoveString(UINT id);
// Entries 16 to 19 and 219 to 230 of the English table as shipped.
void LoadShippedEnglishStrings();

// Sets a custom resource, found by FindResourceA(module, MAKEINTRESOURCE(id), type).
void SetResource(const std::string& type, WORD id, const std::vector<std::uint8_t>& bytes);
void RemoveResource(const std::string& type, WORD id);
// Where the resource's bytes live (for checking that they are used in place).
const std::uint8_t* ResourceBytes(const std::string& type, WORD id);

// Every LoadStringA id in order.
std::vector<UINT> LoadedStringIds();

} // namespace fake
