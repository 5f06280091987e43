#include "com/registry_key.h"

#include <utility>

namespace Orvane::registry {

registry_key::registry_key(registry_key&& other) noexcept : key(std::exchange(other.key, nullptr)) {}

registry_key& registry_key::operator=(registry_key&& other) noexcept {
    std::swap(key, other.key);
    return *this;
}

registry_key::~registry_key() {
    if (key) RegCloseKey(key);
}

registry_key registry_key::open(HKEY parent, const wchar_t* subkey, REGSAM access) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(parent, subkey, 0, access, &handle) != ERROR_SUCCESS)
        throw error("Unable to open/create a registry key");
    return registry_key(handle);
}

registry_key registry_key::create(HKEY parent, const wchar_t* subkey, REGSAM access) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(parent, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        throw error("Unable to open/create a registry key");
    return registry_key(handle);
}

void registry_key::set_value(const wchar_t* name, const std::wstring& text) const {
    const DWORD bytes = DWORD((text.size() + 1) * sizeof(wchar_t));
    if (RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes) != ERROR_SUCCESS)
        throw error("Unable to write a value in the registry");
}

void registry_key::delete_subkey(const wchar_t* name) const {
    if (RegDeleteKeyW(key, name) != ERROR_SUCCESS) throw error("Unable to delete a registry key");
}

}  // namespace Orvane::registry
