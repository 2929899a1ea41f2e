// One registry value addressed by root key, key path, value name and value type, with typed reads that fall back
// to a default, typed writes, key and value creation and deletion, listings, and file-type registration.
// No registry handle outlives a member call; failures are raised as RegistryError.
#pragma once

#include "registry/registry_value.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quellary {

// Which view of the registry keys are opened in. On 64-bit Windows the entries a 32-bit program writes under
// HKEY_LOCAL_MACHINE\Software live in a view of their own, which a 64-bit program sees only when it asks for it.
// The values are the access flags that select the view.
enum class RegistryView : std::uint32_t {
    Native = 0,
    Bits32 = 0x0200, // KEY_WOW64_32KEY
};

class cRegistry {
public:
    [[nodiscard]] bool KeyExists() const;
    bool CreateKey();
    bool DeleteKey();
    bool DeleteValue();

    // A value that cannot be read yields a copy of Default and leaves ValueType alone; a value that can be read
    // sets ValueType to its stored type.
    [[nodiscard]] RegistryValue Value();
    void Value(const RegistryValue& vValue);

    bool EnumerateValues(std::vector<std::string>& sKeyNames, std::int32_t& iKeyCount) const;
    bool EnumerateSections(std::vector<std::string>& sSect, std::int32_t& iSectCount) const;

    // Registers the extension, the class and its verbs under both class roots. Leaves the coordinates at the
    // last entry written, with ClassKey HKEY_LOCAL_MACHINE.
    void CreateEXEAssociation(const std::string& sExePath, const std::string& sClassName,
                              const std::string& sClassDescription, const std::string& sAssociation,
                              const std::string& sOpenMenuText = "&Open", bool bSupportPrint = false,
                              const std::string& sPrintMenuText = "&Print", bool bSupportNew = false,
                              const std::string& sNewMenuText = "&New", bool bSupportInstall = false,
                              const std::string& sInstallMenuText = "", std::int32_t lDefaultIconIndex = -1);

    // Adds verbs as (name, menu text, command) triples to a class that exists under the current ClassKey.
    void CreateAdditionalEXEAssociations(const std::string& sClassName, const std::vector<RegistryValue>& vItems = {});

    [[nodiscard]] std::int32_t ValueType() const { return valueType_; }
    void ValueType(std::int32_t eValueType) { valueType_ = eValueType; }
    [[nodiscard]] std::int32_t ClassKey() const { return classKey_; }
    void ClassKey(std::int32_t eKey) { classKey_ = eKey; }
    [[nodiscard]] std::string SectionKey() const { return sectionKey_; }
    void SectionKey(const std::string& sSectionKey) { sectionKey_ = sSectionKey; }
    [[nodiscard]] std::string ValueKey() const { return valueKey_; }
    void ValueKey(const std::string& sValueKey) { valueKey_ = sValueKey; }
    [[nodiscard]] RegistryValue Default() const { return default_; }
    void Default(const RegistryValue& vDefault) { default_ = vDefault; }
    [[nodiscard]] RegistryView View() const { return view_; }
    void View(RegistryView eView) { view_ = eView; }

private:
    friend class cRegistryTestAccess;

    // Writes the text as Value under HKEY_CLASSES_ROOT and under HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
    void WriteToBothClassRoots(const std::string& text);
    [[nodiscard]] static std::int32_t ReverseByteOrder(std::int32_t value);
    [[nodiscard]] static std::string ExpandEnvironmentText(const std::string& text);

    std::int32_t classKey_ = 0;
    std::string sectionKey_;
    std::string valueKey_;
    RegistryValue default_;
    std::int32_t valueType_ = regNone;
    RegistryView view_ = RegistryView::Native;
};

} // namespace quellary
