#pragma once
// An open registry key that closes itself, and the one exception type for
// registry failures.

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace Orvane::registry {

class error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class registry_key {
public:
    registry_key() = default;
    registry_key(registry_key&& other) noexcept;
    registry_key& operator=(registry_key&& other) noexcept;
    registry_key(const registry_key&) = delete;
    registry_key& operator=(const registry_key&) = delete;
    ~registry_key();

    // Raise registry::error on failure.
    static registry_key open(HKEY parent, const wchar_t* subkey, REGSAM access);
    static registry_key create(HKEY parent, const wchar_t* subkey, REGSAM access);
    // Nothing, and no exception, when the key cannot be opened: for what is optional.
    static std::optional<registry_key> open_if_present(HKEY parent, const wchar_t* subkey, REGSAM access);

    // A value read as text into at most `max_chars` wide characters, its
    // type unchecked, up to its first NUL; nothing when it is absent or
    // does not fit.
    std::optional<std::wstring> read_text(const wchar_t* name, DWORD max_chars) const;

    void set_value(const wchar_t* name, const std::wstring& text) const;
    void set_default(const std::wstring& text) const { set_value(L"", text); }
    void delete_subkey(const wchar_t* name) const;

    HKEY get() const { return key; }

private:
    explicit registry_key(HKEY handle) : key(handle) {}
    HKEY key = nullptr;
};

}  // namespace Orvane::registry
