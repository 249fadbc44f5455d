#include "tests/fakewin/fake_registry.h"

#include "tests/fakewin/fake_kernel.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>
#include <map>
#include <strings.h>

namespace fake {
namespace {

const LONG kAccessDenied = 5;

struct Value {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

struct Key {
    std::string name;
    std::string sortName; // upper-cased: Windows orders subkeys by it
    std::string path;     // below HKEY_LOCAL_MACHINE, as created
    bool openable = true;
    std::vector<std::size_t> children; // in enumeration order
    std::map<std::string, std::size_t> childBySortName;
    std::vector<Value> values;
};

struct RegistryState {
    std::deque<Key> keys = std::deque<Key>(1); // keys[0] is HKEY_LOCAL_MACHINE itself
    std::vector<std::string> opens;
    int calls = 0;
};

RegistryState& State() {
    static RegistryState state;
    return state;
}

std::string UpperCased(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

bool SameName(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool FindChild(std::size_t parent, const std::string& name, std::size_t* child) {
    const auto& children = State().keys[parent].childBySortName;
    const auto it = children.find(UpperCased(name));
    if (it == children.end()) {
        return false;
    }
    *child = it->second;
    return true;
}

// The key at `path` below `from`; empty path components name no key.
bool FindKey(std::size_t from, const std::string& path, std::size_t* key) {
    std::size_t at = from;
    for (const std::string& part : SplitPath(path)) {
        if (part.empty() || !FindChild(at, part, &at)) {
            return false;
        }
    }
    *key = at;
    return true;
}

std::size_t MakeKey(const std::string& path) {
    std::size_t at = 0;
    for (const std::string& part : SplitPath(path)) {
        std::size_t child = 0;
        if (FindChild(at, part, &child)) {
            at = child;
            continue;
        }
        RegistryState& state = State();
        state.keys.emplace_back();
        const std::size_t index = state.keys.size() - 1;
        state.keys[index].name = part;
        state.keys[index].sortName = UpperCased(part);
        state.keys[index].path = at == 0 ? part : state.keys[at].path + "\\" + part;
        std::vector<std::size_t>& siblings = state.keys[at].children;
        auto place = std::upper_bound(siblings.begin(), siblings.end(), index,
                                      [&](std::size_t a, std::size_t b) {
                                          return state.keys[a].sortName < state.keys[b].sortName;
                                      });
        siblings.insert(place, index);
        state.keys[at].childBySortName[state.keys[index].sortName] = index;
        at = index;
    }
    return at;
}

// The key an open handle (or HKEY_LOCAL_MACHINE) stands for.
bool KeyOfHandle(HKEY handle, std::size_t* key) {
    if (handle == HKEY_LOCAL_MACHINE) {
        *key = 0;
        return true;
    }
    return LookupHandle(handle, HandleKind::RegistryKey, key);
}

} // namespace

void ResetRegistry() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State() = RegistryState();
}

void AddRegistryKey(const std::string& path) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    MakeKey(path);
}

void SetRegistryValue(const std::string& path, const std::string& name,
                      const std::vector<std::uint8_t>& bytes) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    Key& key = State().keys[MakeKey(path)];
    for (Value& value : key.values) {
        if (SameName(value.name, name)) {
            value.bytes = bytes;
            return;
        }
    }
    key.values.push_back(Value{name, bytes});
}

void SetRegistryString(const std::string& path, const std::string& name, const std::string& text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    SetRegistryValue(path, name, bytes);
}

void SetRegistryKeyOpenable(const std::string& path, bool openable) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    State().keys[MakeKey(path)].openable = openable;
}

void SetSubkeyOrder(const std::string& path, const std::vector<std::string>& names) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    const std::size_t parent = MakeKey(path);
    std::vector<std::size_t> ordered;
    for (const std::string& name : names) {
        std::size_t child = 0;
        if (FindChild(parent, name, &child)) {
            ordered.push_back(child);
        }
    }
    for (std::size_t child : State().keys[parent].children) {
        if (std::find(ordered.begin(), ordered.end(), child) == ordered.end()) {
            ordered.push_back(child);
        }
    }
    State().keys[parent].children = ordered;
}

std::vector<std::string> RegistryOpenLog() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return State().opens;
}

int RegistryCallCount() {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    return State().calls;
}

} // namespace fake

using fake::MachineLock;

LONG WINAPI RegOpenKeyA(HKEY root, LPCSTR subKey, PHKEY result) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    fake::RegistryState& state = fake::State();
    ++state.calls;
    std::size_t from = 0;
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!fake::KeyOfHandle(root, &from)) {
        return ERROR_INVALID_HANDLE;
    }
    const std::string path = subKey != nullptr ? subKey : "";
    const std::string& base = state.keys[from].path;
    state.opens.push_back(base.empty() || path.empty() ? base + path : base + "\\" + path);
    if (path.empty()) {
        *result = root; // Windows hands back the same key for an empty path
        return ERROR_SUCCESS;
    }
    std::size_t key = 0;
    if (!fake::FindKey(from, path, &key)) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (!state.keys[key].openable) {
        return fake::kAccessDenied;
    }
    *result = static_cast<HKEY>(fake::OpenHandle(fake::HandleKind::RegistryKey, key));
    return ERROR_SUCCESS;
}

LONG WINAPI RegEnumKeyA(HKEY handle, DWORD index, LPSTR name, DWORD nameSize) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    ++fake::State().calls;
    std::size_t key = 0;
    if (!fake::KeyOfHandle(handle, &key)) {
        return ERROR_INVALID_HANDLE;
    }
    const std::vector<std::size_t>& children = fake::State().keys[key].children;
    if (index >= children.size()) {
        return ERROR_NO_MORE_ITEMS;
    }
    const std::string& child = fake::State().keys[children[index]].name;
    if (name == nullptr || child.size() + 1 > nameSize) {
        return name == nullptr ? ERROR_INVALID_PARAMETER : ERROR_MORE_DATA;
    }
    std::memcpy(name, child.c_str(), child.size() + 1);
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY handle, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             PBYTE data, LPDWORD dataSize) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    ++fake::State().calls;
    std::size_t key = 0;
    if (!fake::KeyOfHandle(handle, &key)) {
        return ERROR_INVALID_HANDLE;
    }
    if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::string name = valueName != nullptr ? valueName : "";
    for (const fake::Value& value : fake::State().keys[key].values) {
        if (!fake::SameName(value.name, name)) {
            continue;
        }
        if (type != nullptr) {
            *type = 1; // REG_SZ; the program never asks
        }
        const DWORD size = static_cast<DWORD>(value.bytes.size());
        if (data != nullptr && size > *dataSize) {
            *dataSize = size;
            return ERROR_MORE_DATA;
        }
        if (data != nullptr && size > 0) {
            std::memcpy(data, value.bytes.data(), size);
        }
        if (dataSize != nullptr) {
            *dataSize = size;
        }
        return ERROR_SUCCESS;
    }
    return ERROR_FILE_NOT_FOUND;
}

LONG WINAPI RegCloseKey(HKEY handle) {
    std::lock_guard<std::recursive_mutex> guard(MachineLock());
    ++fake::State().calls;
    if (handle == HKEY_LOCAL_MACHINE) {
        return ERROR_SUCCESS; // predefined keys are never really closed
    }
    return fake::ReleaseHandle(handle, fake::HandleKind::RegistryKey) ? ERROR_SUCCESS
                                                                      : ERROR_INVALID_HANDLE;
}
