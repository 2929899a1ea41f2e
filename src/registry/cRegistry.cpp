#include "registry/cRegistry.h"

#include "platform/handles.h"
#include "platform/program.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <optional>

namespace quellary {

namespace {

// The six key-specific rights (query, set, create subkey, enumerate, notify, create link) without the standard
// rights of KEY_ALL_ACCESS: writing a value needs no right to change the key's security or delete it.
constexpr REGSAM keyWriteAccess =
    KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | KEY_CREATE_LINK;
static_assert(keyWriteAccess == 0x3F);

// Registry names never come near these bounds; they only keep a buffer from growing without end.
constexpr DWORD longestValueNameBytes = 65536;
constexpr DWORD longestKeyNameBytes = 1024;

// Predefined roots are sign-extended 32-bit values (HKEY_LOCAL_MACHINE is 0xFFFFFFFF80000002 on x64).
HKEY rootKey(std::int32_t classKey) {
    return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(classKey));
}

REGSAM viewAccess(RegistryView view) {
    return static_cast<REGSAM>(view);
}

// Keys opened or created by one member call and closed when it ends. The owner takes a key only on success,
// so a predefined root is never closed.
[[nodiscard]] LONG openKey(UniqueKey& key, std::int32_t classKey, const std::string& sectionKey, REGSAM access,
                           RegistryView view) {
    HKEY opened = nullptr;
    const LONG result = ::RegOpenKeyExA(rootKey(classKey), sectionKey.c_str(), 0, access | viewAccess(view), &opened);
    if (result == ERROR_SUCCESS) {
        key.reset(opened);
    }
    return result;
}

[[nodiscard]] LONG createKey(UniqueKey& key, std::int32_t classKey, const std::string& sectionKey, RegistryView view) {
    SECURITY_ATTRIBUTES security{}; // all zero: the default descriptor, not inheritable
    char noClass[] = "";
    HKEY created = nullptr;
    const LONG result = ::RegCreateKeyExA(rootKey(classKey), sectionKey.c_str(), 0, noClass, REG_OPTION_NON_VOLATILE,
                                          keyWriteAccess | viewAccess(view), &security, &created, nullptr);
    if (result == ERROR_SUCCESS) {
        key.reset(created);
    }
    return result;
}

const std::string& errorSource() {
    static const std::string source = registryErrorSource(executableBaseName());
    return source;
}

[[noreturn]] void raise(std::int32_t number, const std::string& description) {
    throw RegistryError(number, errorSource(), description);
}

LONG setValue(HKEY key, const std::string& name, DWORD type, const void* data, std::size_t size) {
    if (size > MAXDWORD) {
        return ERROR_INVALID_DATA;
    }
    static const BYTE nothing = 0;
    const auto* bytes = size == 0 ? &nothing : static_cast<const BYTE*>(data);
    return ::RegSetValueExA(key, name.c_str(), 0, type, bytes, static_cast<DWORD>(size));
}

// The stored data of one value, read into a buffer of the size that the probe reported. The size the query
// returns is the one used: the narrow functions may report more than they finally deliver for text types.
std::optional<std::string> queryBytes(HKEY key, const std::string& name, DWORD size) {
    std::string data(size, '\0');
    DWORD got = size;
    if (::RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &got) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    data.resize(got);
    return data;
}

} // namespace

bool cRegistry::KeyExists() const {
    UniqueKey key;
    return openKey(key, classKey_, sectionKey_, KEY_QUERY_VALUE, view_) == ERROR_SUCCESS;
}

bool cRegistry::CreateKey() {
    UniqueKey key;
    if (createKey(key, classKey_, sectionKey_, view_) != ERROR_SUCCESS) {
        raise(errRegistryKey, createKeyFailure(sectionKey_));
    }
    return true;
}

bool cRegistry::DeleteKey() {
    // RegDeleteKeyA always works in the native view; only the Ex form can be told another.
    const LONG result = view_ == RegistryView::Native
                            ? ::RegDeleteKeyA(rootKey(classKey_), sectionKey_.c_str())
                            : ::RegDeleteKeyExA(rootKey(classKey_), sectionKey_.c_str(), viewAccess(view_), 0);
    if (result != ERROR_SUCCESS) {
        raise(errRegistryKey, deleteKeyFailure(classKey_, sectionKey_));
    }
    return true;
}

bool cRegistry::DeleteValue() {
    UniqueKey key;
    if (openKey(key, classKey_, sectionKey_, keyWriteAccess, view_) != ERROR_SUCCESS) {
        raise(errRegistryKey, openForDeleteFailure(classKey_, sectionKey_));
    }
    if (::RegDeleteValueA(key.get(), valueKey_.c_str()) != ERROR_SUCCESS) {
        raise(errRegistryKey, deleteValueFailure(classKey_, sectionKey_, valueKey_));
    }
    return true;
}

RegistryValue cRegistry::Value() {
    UniqueKey key;
    // A key that cannot be opened leaves no handle, so the probe fails and the read falls back to Default.
    (void)openKey(key, classKey_, sectionKey_, KEY_QUERY_VALUE, view_);
    DWORD type = REG_NONE;
    DWORD size = 0;
    const LONG probe = ::RegQueryValueExA(key.get(), valueKey_.c_str(), nullptr, &type, nullptr, &size);
    if (probe != ERROR_SUCCESS && probe != ERROR_MORE_DATA) {
        return default_;
    }

    // A value deleted or changed between probe and query is a value that cannot be read, not an empty one.
    std::optional<RegistryValue> result;
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
        if (auto text = queryBytes(key.get(), valueKey_, size)) {
            // Other programs may store text without its terminating NUL; only a NUL is dropped.
            if (!text->empty() && text->back() == '\0') {
                text->pop_back();
            }
            result = type == REG_EXPAND_SZ ? ExpandEnvironmentText(*text) : *text;
        }
        break;
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        std::uint32_t number = 0;
        DWORD got = sizeof number;
        if (::RegQueryValueExA(key.get(), valueKey_.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&number),
                               &got) == ERROR_SUCCESS) {
            const auto value = static_cast<std::int32_t>(number);
            result = type == REG_DWORD_BIG_ENDIAN ? ReverseByteOrder(value) : value;
        }
        break;
    }
    default:
        if (auto data = queryBytes(key.get(), valueKey_, size)) {
            result = RegistryValue::Bytes(data->begin(), data->end());
        }
        break;
    }
    if (!result) {
        return default_;
    }
    valueType_ = static_cast<std::int32_t>(type);
    return *std::move(result);
}

void cRegistry::Value(const RegistryValue& vValue) {
    UniqueKey key;
    if (createKey(key, classKey_, sectionKey_, view_) != ERROR_SUCCESS) {
        raise(errRegistryKey, setValueFailure(classKey_, sectionKey_, valueKey_, vValue));
    }
    LONG result = ERROR_INVALID_DATA;
    switch (valueType_) {
    case regSz:
    case regExpandSz: {
        const std::string text = vValue.textForm();
        result =
            setValue(key.get(), valueKey_, static_cast<DWORD>(storedTextType(text)), text.c_str(), text.size() + 1);
        break;
    }
    case regBinary:
        if (!vValue.isBytes()) {
            raise(errRegistryKey, std::string(binaryNeedsBytes));
        }
        result = setValue(key.get(), valueKey_, REG_BINARY, vValue.bytes().data(), vValue.bytes().size());
        break;
    case regDword:
    case regDwordBigEndian:
        // Anything but an integer is refused rather than guessed at; the big-endian code stores the plain
        // machine order, as it always has.
        if (vValue.isInteger()) {
            const auto number = static_cast<std::uint32_t>(vValue.integer());
            result = setValue(key.get(), valueKey_, REG_DWORD, &number, sizeof number);
        }
        break;
    default:
        break;
    }
    if (result != ERROR_SUCCESS) {
        raise(errSetValue, setValueFailure(classKey_, sectionKey_, valueKey_, vValue));
    }
}

bool cRegistry::EnumerateValues(std::vector<std::string>& sKeyNames, std::int32_t& iKeyCount) const {
    iKeyCount = 0;
    sKeyNames.clear();
    UniqueKey key;
    DWORD longestName = 0;
    if (openKey(key, classKey_, sectionKey_, KEY_QUERY_VALUE, view_) != ERROR_SUCCESS ||
        ::RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return true;
    }
    // The longest name is counted in characters; in a multi-byte code page its narrow form can be longer, and a
    // value may be added meanwhile, so a name that does not fit grows the buffer instead of ending the list.
    std::string name(longestName + 1, '\0');
    for (DWORD index = 0;;) {
        auto length = static_cast<DWORD>(name.size());
        const LONG result = ::RegEnumValueA(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA && name.size() < longestValueNameBytes) {
            name.resize(name.size() * 2);
            continue;
        }
        if (result != ERROR_SUCCESS) {
            return true;
        }
        sKeyNames.emplace_back(name.data(), length);
        ++iKeyCount;
        ++index;
    }
}

bool cRegistry::EnumerateSections(std::vector<std::string>& sSect, std::int32_t& iSectCount) const {
    try {
        iSectCount = 0;
        sSect.clear();
        UniqueKey key;
        LONG result = openKey(key, classKey_, sectionKey_, KEY_ENUMERATE_SUB_KEYS, view_);
        // Room for the longest legal key name (255 characters) and its NUL; a multi-byte name may need more.
        std::string name(256, '\0');
        for (DWORD index = 0; result == ERROR_SUCCESS;) {
            std::fill(name.begin(), name.end(), '\0');
            result = ::RegEnumKeyA(key.get(), index, name.data(), static_cast<DWORD>(name.size()));
            if (result == ERROR_MORE_DATA && name.size() < longestKeyNameBytes) {
                name.resize(name.size() * 2);
                result = ERROR_SUCCESS;
                continue;
            }
            if (result == ERROR_SUCCESS) {
                ++iSectCount;
                sSect.emplace_back(name.c_str());
                ++index;
            }
        }
        return true;
    } catch (const std::exception& failure) {
        raise(errEnumerateSections, failure.what());
    }
}

void cRegistry::CreateEXEAssociation(const std::string& sExePath, const std::string& sClassName,
                                     const std::string& sClassDescription, const std::string& sAssociation,
                                     const std::string& sOpenMenuText, bool bSupportPrint,
                                     const std::string& sPrintMenuText, bool bSupportNew,
                                     const std::string& sNewMenuText, bool bSupportInstall,
                                     const std::string& sInstallMenuText, std::int32_t lDefaultIconIndex) {
    const std::string path = quotedExePath(sExePath);
    const auto orDefault = [](const std::string& text, const std::string& fallback) {
        return text.empty() ? fallback : text;
    };
    // Every entry is a key's unnamed default value.
    const auto write = [this](const std::string& section, const std::string& text) {
        sectionKey_ = section;
        valueKey_.clear();
        WriteToBothClassRoots(text);
    };

    sectionKey_ = "." + sAssociation;
    valueType_ = regSz;
    valueKey_.clear();
    WriteToBothClassRoots(sClassName);
    write(sClassName, sClassDescription);
    write(sClassName + "\\shell\\open", orDefault(sOpenMenuText, "&Open"));
    write(sClassName + "\\shell\\open\\command", path + " \"%1\"");
    // The verbs go in the order the shell menu shows them, not in the order of the arguments.
    if (bSupportPrint) {
        write(sClassName + "\\shell\\print", orDefault(sPrintMenuText, "&Print"));
        write(sClassName + "\\shell\\print\\command", path + " /p \"%1\"");
    }
    if (bSupportInstall) {
        write(sClassName + "\\shell\\add", orDefault(sInstallMenuText, "&Install " + sAssociation));
        write(sClassName + "\\shell\\add\\command", path + " /a \"%1\"");
    }
    if (bSupportNew) {
        write(sClassName + "\\shell\\new", orDefault(sNewMenuText, "&New"));
        write(sClassName + "\\shell\\new\\command", path + " /n \"%1\"");
    }
    if (lDefaultIconIndex > -1) {
        write(sClassName + "\\DefaultIcon", path + "," + std::to_string(lDefaultIconIndex));
    }
}

void cRegistry::CreateAdditionalEXEAssociations(const std::string& sClassName,
                                                const std::vector<RegistryValue>& vItems) {
    if (vItems.size() % 3 != 0) {
        raise(errAssociationItems, std::string(associationItemsInvalid));
    }
    sectionKey_ = sClassName;
    if (!KeyExists()) {
        raise(errClassNotDefined, std::string(associationClassMissing));
    }
    // One failed entry does not keep the others from being written, but it is still reported, once all ran.
    std::exception_ptr firstFailure;
    const auto write = [&](const std::string& section, const RegistryValue& item) {
        sectionKey_ = section;
        valueKey_.clear();
        try {
            WriteToBothClassRoots(item.textForm());
        } catch (const RegistryError&) {
            if (!firstFailure) {
                firstFailure = std::current_exception();
            }
        }
    };
    for (std::size_t i = 0; i < vItems.size(); i += 3) {
        valueType_ = regSz;
        const std::string verb = sClassName + "\\shell\\" + vItems[i].textForm();
        write(verb, vItems[i + 1]);
        write(verb + "\\command", vItems[i + 2]);
    }
    if (firstFailure) {
        std::rethrow_exception(firstFailure);
    }
}

void cRegistry::WriteToBothClassRoots(const std::string& text) {
    classKey_ = hkeyClassesRoot;
    Value(text);
    const std::string section = sectionKey_;
    classKey_ = hkeyLocalMachine;
    sectionKey_ = "SOFTWARE\\Classes\\" + section;
    Value(text);
    sectionKey_ = section;
}

std::int32_t cRegistry::ReverseByteOrder(std::int32_t value) {
    return reverseByteOrder(value);
}

std::string cRegistry::ExpandEnvironmentText(const std::string& text) {
    const DWORD needed = ::ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (needed == 0) {
        return text;
    }
    // The narrow function can need one character more than it reported; the text ends at the first NUL.
    std::string expanded(needed + 1, '\0');
    const DWORD written = ::ExpandEnvironmentStringsA(text.c_str(), expanded.data(), needed + 1);
    if (written == 0 || written > needed + 1) {
        return text;
    }
    expanded.resize(std::strlen(expanded.c_str()));
    return expanded;
}

} // namespace quellary
