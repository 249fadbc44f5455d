#include "discovery/printer_search.h"

#include "connection/connection.h"
#include "discovery/device_route.h"
#include "discovery/registry_walk.h"

#include <cstring>

namespace {

const int kCandidateSlots = 100;
const int kCandidateWidth = 128;

} // namespace

int SplitIdList(const char* text, const char* delimiters, char* slots, int slotWidth) {
    char work[1024];
    const std::size_t length = strnlen(text, sizeof work - 1);
    std::memcpy(work, text, length);
    work[length] = '\0';

    int count = 0;
    std::size_t at = std::strspn(work, delimiters);
    while (work[at] != '\0') {
        const std::size_t tokenLength = std::strcspn(work + at, delimiters);
        work[at + tokenLength] = '\0';
        std::memcpy(slots + static_cast<std::size_t>(count) * slotWidth, work + at,
                    tokenLength + 1);
        ++count;
        at += tokenLength;
        if (at < length) {
            ++at;
            at += std::strspn(work + at, delimiters);
        }
    }
    return count;
}

int FindPrinter() {
    PrinterConnection* connection = AccessConnection(nullptr);
    CloseConnection();
    // The configured list, not hardwareId: hardwareId is overwritten with each
    // candidate, and a failed search must leave every ID to try next time.
    if (connection->configuredIds[0] == '\0') {
        return WalkUsbEnumTree(connection);
    }
    static_assert(kCandidateWidth == sizeof connection->hardwareId, "a candidate fits back");
    char candidates[kCandidateSlots][kCandidateWidth] = {};
    const int count = SplitIdList(connection->configuredIds, ",", candidates[0], kCandidateWidth);
    for (int i = 0; i < count; ++i) {
        std::memcpy(connection->hardwareId, candidates[i], kCandidateWidth);
        if (OpenConfiguredRoute(connection) != 0) {
            return 1;
        }
    }
    return 0;
}
