#include "pipe/server_path.h"

#include <iterator>

#include "pipe/module_path.h"
#include "pipe/names.h"

namespace Orvane::pipe {
namespace {

constexpr const wchar_t* uninstall_key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrvaneSAPI";
constexpr DWORD install_location_chars = 260;

class registry_key {
public:
    ~registry_key() {
        if (key_) RegCloseKey(key_);
    }
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

std::wstring join(const std::wstring& folder, const wchar_t* file) {
    if (folder.empty()) return file;
    const wchar_t last = folder.back();
    return (last == L'\\' || last == L'/') ? folder + file : folder + L'\\' + file;
}

// A relative result (an empty InstallLocation) is pinned to the current
// directory now, so that a later change of directory cannot move it.
std::wstring absolute(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 4];
    const DWORD length = GetFullPathNameW(path.c_str(), DWORD(std::size(buffer)), buffer, nullptr);
    if (length == 0 || length >= std::size(buffer)) return path;
    return std::wstring(buffer, length);
}

}  // namespace

std::optional<std::wstring> installed_server_path() {
    registry_key key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, uninstall_key, 0, KEY_READ | KEY_WOW64_32KEY, key.out()) != ERROR_SUCCESS)
        return std::nullopt;
    // One spare character keeps the buffer terminated whatever the value holds.
    wchar_t buffer[install_location_chars + 1] = {};
    DWORD size = install_location_chars * sizeof(wchar_t);
    if (RegQueryValueExW(key.get(), L"InstallLocation", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return join(std::wstring(buffer), server_file_name);
}

std::wstring own_module_path() {
    HMODULE module = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (!GetModuleHandleExW(flags, reinterpret_cast<LPCWSTR>(&own_module_path), &module)) return {};
    return module_file_path(module);
}

std::wstring parent_folder(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool file_exists(const std::wstring& path) {
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring resolve_server_path() {
    if (auto installed = installed_server_path(); installed && file_exists(*installed)) return absolute(*installed);
    const std::wstring folder = parent_folder(own_module_path());
    std::wstring beside = join(folder, server_file_name);
    if (file_exists(beside)) return beside;
    return join(parent_folder(folder), server_file_name);
}

}  // namespace Orvane::pipe
