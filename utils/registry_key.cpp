#include "utils/registry_key.h"

#include <utility>
#include <vector>

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

std::optional<registry_key> registry_key::open_if_present(HKEY parent, const wchar_t* subkey, REGSAM access) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(parent, subkey, 0, access, &handle) != ERROR_SUCCESS) return std::nullopt;
    return registry_key(handle);
}

std::optional<std::wstring> registry_key::read_text(const wchar_t* name, DWORD max_chars) const {
    // One spare character keeps the buffer terminated whatever the value holds.
    std::vector<wchar_t> buffer(size_t(max_chars) + 1, L'\0');
    DWORD size = max_chars * sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer.data());
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
