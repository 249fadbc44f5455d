#include "discovery/hardware_id_match.h"

#include "connection/connection.h"

#include <cstring>

namespace {

const std::size_t kLongestId = sizeof(PrinterConnection::hardwareId) - 1;

} // namespace

bool HardwareIdListHolds(const char* list, std::size_t size, const char* target) {
    char wanted[kLongestId + 1];
    const std::size_t targetLength = strnlen(target, kLongestId);
    std::memcpy(wanted, target, targetLength);
    wanted[targetLength] = '\0';
    UpperCaseText(wanted);

    // Every entry up to the empty one that closes the list is looked at.
    bool found = false;
    std::size_t offset = 0;
    while (offset < size && list[offset] != '\0') {
        const std::size_t length = strnlen(list + offset, size - offset);
        // Upper-casing keeps the length, so only entries of the target's
        // length can be equal.
        if (length == targetLength) {
            char entry[kLongestId + 1];
            std::memcpy(entry, list + offset, length);
            entry[length] = '\0';
            UpperCaseText(entry);
            if (std::memcmp(entry, wanted, length + 1) == 0) {
                found = true;
            }
        }
        offset += length + 1;
    }
    return found;
}
