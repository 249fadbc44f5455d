#include "tests/fakewin/fake_resources.h"

#include "tests/fakewin/fake_kernel.h"

#include <cstring>
#include <map>
#include <memory>
#include <utility>

namespace fake {
namespace {

struct Resource {
    std::string type;
    WORD id;
    std::vector<std::uint8_t> bytes;
};

struct ResourceState {
    std::map<UINT, std::string> strings;
    std::vector<std::unique_ptr<Resource>> resources; // stable addresses for HRSRC
    std::vector<UINT> loadedIds;
};

ResourceState& State() {
    static ResourceState state;
    return state;
}

Resource* Find(const std::string& type, WORD id) {
    for (auto& resource : State().resources) {
        if (resource->type == type && resource->id == id) {
            return resource.get();
        }
    }
    return nullptr;
}

} // namespace

void ResetResources() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State() = ResourceState();
}

void SetString(UINT id, const std::string& text) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().strings[id] = text;
}

void RemoveString(UINT id) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().strings.erase(id);
}

void LoadShippedEnglishStrings() {
    static const std::pair<UINT, const char*> kShipped[] = {
        {16, "USB\\VID_0E7A&PID_41C5"},
        {17, "PrintClass"},
        {18, "TARVELIN chromalux 4410N"},
        {19, "72K0030000"},
        {219, "Click [Transfer] to start transferring the firmware for update."},
        {220, "Printer is not found.\nMake sure that your computer is properly connected to the "
              "printer,and that the printer is turned on.\nTo transfer the firmware again, click "
              "[Retry]."},
        {221, "Could not transfer the firmware.\nTo transfer the firmware again, click [Retry]."},
        {222, "Firmware transfer complete. "},
        {223, "Transferring the firmware to printer..."},
        {224, "Transfer"},
        {225, "Exit"},
        {226, "Retry"},
        {227, "Please read the following license agreement. Press the PAGE DOWN key to see the "
              "rest of the agreement."},
        {228, "I do not accept the terms of the license agreement."},
        {229, "I accept the terms of the license agreement."},
        {230, "OK"},
    };
    for (const auto& entry : kShipped) {
        SetString(entry.first, entry.second);
    }
}

void SetResource(const std::string& type, WORD id, const std::vector<std::uint8_t>& bytes) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    RemoveResource(type, id);
    State().resources.push_back(std::make_unique<Resource>(Resource{type, id, bytes}));
    State().resources.back()->bytes.reserve(1); // an empty resource still has an address
}

void RemoveResource(const std::string& type, WORD id) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    auto& resources = State().resources;
    for (auto it = resources.begin(); it != resources.end(); ++it) {
        if ((*it)->type == type && (*it)->id == id) {
            resources.erase(it);
            return;
        }
    }
}

const std::uint8_t* ResourceBytes(const std::string& type, WORD id) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    Resource* resource = Find(type, id);
    return resource == nullptr ? nullptr : resource->bytes.data();
}

std::vector<UINT> LoadedStringIds() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return State().loadedIds;
}

} // namespace fake

using fake::MachineLock;

int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::State().loadedIds.push_back(id);
    if (instance != fake::OwnModule() || buffer == nullptr || bufferMax <= 0) {
        return 0;
    }
    auto it = fake::State().strings.find(id);
    if (it == fake::State().strings.end()) {
        buffer[0] = '\0';
        return 0;
    }
    // Cut to the buffer less one and terminate, as the platform does.
    const std::size_t length = std::min<std::size_t>(it->second.size(), bufferMax - 1);
    std::memcpy(buffer, it->second.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    const auto id = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name));
    if (module != fake::OwnModule() || reinterpret_cast<std::uintptr_t>(name) > 0xFFFF ||
        type == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(fake::Find(type, id));
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    if (resource == nullptr) {
        return 0;
    }
    return static_cast<DWORD>(reinterpret_cast<fake::Resource*>(resource)->bytes.size());
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    if (resource == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<fake::Resource*>(resource)->bytes.data();
}

LPVOID WINAPI LockResource(HGLOBAL data) {
    return data;
}
