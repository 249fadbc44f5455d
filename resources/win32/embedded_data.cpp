// The image and the agreement as resources of the executable; the resource
// loader picks the agreement of the user interface's language.
#include "resources/embedded_data.h"

#include "platform/win32.h"
#include "resources/resource_ids.h"

namespace {

int LocateResource(int id, const char* type, EmbeddedBytes* found) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (resource == nullptr) {
        return 0;
    }
    HGLOBAL loaded = LoadResource(module, resource);
    if (loaded == nullptr) {
        return 0;
    }
    const void* bytes = LockResource(loaded);
    if (bytes == nullptr) {
        return 0;
    }
    found->bytes = static_cast<const uint8_t*>(bytes);
    found->size = SizeofResource(module, resource);
    return 1;
}

} // namespace

int LocateFirmwareImage(EmbeddedBytes* image) {
    return LocateResource(IDR_FIRMWARE, "FIRMWARE", image);
}

int LocateAgreementText(EmbeddedBytes* agreement) {
    return LocateResource(IDR_AGREEMENT, "EULA", agreement);
}
