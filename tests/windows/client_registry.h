// The client's registry entries for the Restart tests: what was under HKLM\Software\Halvane in either
// registry view is set aside while a test runs and put back afterwards, so tests share the prefix safely.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace client_registry {

// The access flags that select a registry view.
inline constexpr REGSAM nativeView = 0;
inline constexpr REGSAM view32 = KEY_WOW64_32KEY;

// One key with its values and subkeys.
struct KeyCopy {
    struct Value {
        std::string name;
        DWORD type = REG_NONE;
        std::string data;
    };
    std::vector<Value> values;
    std::vector<std::pair<std::string, KeyCopy>> subkeys;
};

inline std::optional<KeyCopy> copyKey(HKEY parent, const std::string& path, REGSAM view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    KeyCopy copy;
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameLength = sizeof name;
        DWORD type = 0;
        std::string data(65536, '\0');
        auto size = static_cast<DWORD>(data.size());
        if (::RegEnumValueA(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
            ERROR_SUCCESS) {
            break;
        }
        data.resize(size);
        copy.values.push_back({std::string(name, nameLength), type, data});
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        if (::RegEnumKeyA(key, i, name, sizeof name) != ERROR_SUCCESS) {
            break;
        }
        if (auto sub = copyKey(key, name, view)) {
            copy.subkeys.emplace_back(name, *std::move(sub));
        }
    }
    ::RegCloseKey(key);
    return copy;
}

inline void writeKey(HKEY parent, const std::string& path, REGSAM view, const KeyCopy& copy) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    for (const KeyCopy::Value& value : copy.values) {
        ::RegSetValueExA(key, value.name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                         static_cast<DWORD>(value.data.size()));
    }
    for (const auto& [name, sub] : copy.subkeys) {
        writeKey(key, name, view, sub);
    }
    ::RegCloseKey(key);
}

inline void deleteHalvane(REGSAM view) {
    HKEY software = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS | view, &software) == ERROR_SUCCESS) {
        ::RegDeleteTreeA(software, "Halvane");
        ::RegCloseKey(software);
    }
}

// While it lives, HKLM\Software\Halvane starts empty in both views; what was there before comes back after.
class SavedHalvane {
public:
    SavedHalvane() {
        for (auto& [view, copy] : saved_) {
            copy = copyKey(HKEY_LOCAL_MACHINE, "Software\\Halvane", view);
            deleteHalvane(view);
        }
    }
    ~SavedHalvane() {
        for (const auto& [view, copy] : saved_) {
            deleteHalvane(view);
            if (copy) {
                writeKey(HKEY_LOCAL_MACHINE, "Software\\Halvane", view, *copy);
            }
        }
    }
    SavedHalvane(const SavedHalvane&) = delete;
    SavedHalvane& operator=(const SavedHalvane&) = delete;

private:
    std::pair<REGSAM, std::optional<KeyCopy>> saved_[2] = {{nativeView, {}}, {view32, {}}};
};

// Writes the values given (nothing for a value left out) into a key under HKLM in that view.
struct Entry {
    std::optional<std::string> dataPath, path, name;
};
inline bool writeEntry(const std::string& key, REGSAM view, const Entry& entry) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &handle,
                          nullptr) != ERROR_SUCCESS) {
        return false;
    }
    bool ok = true;
    for (const auto& [name, text] :
         {std::pair{"DataPath", entry.dataPath}, {"Path", entry.path}, {"Name", entry.name}}) {
        if (text) {
            ok = ::RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                                  static_cast<DWORD>(text->size() + 1)) == ERROR_SUCCESS &&
                 ok;
        }
    }
    ::RegCloseKey(handle);
    return ok;
}

} // namespace client_registry
