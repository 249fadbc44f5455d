#include "discovery/printer_search.h"

#include "connection/connection.h"
#include "discovery/device_route.h"
#include "discovery/usb_walk.h"

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
    int found = 0;
    if (connection->searchIds[0] == '\0') {
        found = WalkUsbEnumTree(connection);
    } else {
        static_assert(kCandidateWidth == sizeof connection->hardwareId, "a candidate fits back");
        char candidates[kCandidateSlots][kCandidateWidth] = {};
        const int count = SplitIdList(connection->searchIds, ",", candidates[0], kCandidateWidth);
        for (int i = 0; i < count && !found; ++i) {
            std::memcpy(connection->hardwareId, candidates[i], kCandidateWidth);
            found = OpenConfiguredRoute(connection);
        }
    }
    // Until a search succeeds, each one tries the whole configured list (or
    // walks again), so a printer plugged in later is still found. Once one
    // succeeds, every later search tries only the ID that opened it: the
    // firmware must go to the printer the user was shown, not to another
    // device that appears before Transfer.
    if (found) {
        std::memcpy(connection->searchIds, connection->hardwareId, sizeof connection->searchIds);
    }
    return found;
}
