#include "pipe/server_path.h"

#include <iterator>

#include "pipe/names.h"
#include "utils/module.h"
#include "utils/registry_key.h"

namespace Orvane::pipe {
namespace {

constexpr const wchar_t* uninstall_key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrvaneSAPI";
constexpr DWORD install_location_chars = 260;

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
    const auto key =
        registry::registry_key::open_if_present(HKEY_LOCAL_MACHINE, uninstall_key, KEY_READ | KEY_WOW64_32KEY);
    if (!key) return std::nullopt;
    const auto folder = key->read_text(L"InstallLocation", install_location_chars);
    if (!folder) return std::nullopt;
    return join(*folder, server_file_name);
}

bool file_exists(const std::wstring& path) {
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring resolve_server_path() {
    if (auto installed = installed_server_path(); installed && file_exists(*installed)) return absolute(*installed);
    const std::wstring own =
        utils::module_file_path(utils::module_containing(reinterpret_cast<const void*>(&resolve_server_path)));
    const std::wstring folder = utils::parent_folder(own);
    std::wstring beside = join(folder, server_file_name);
    if (file_exists(beside)) return beside;
    return join(utils::parent_folder(folder), server_file_name);
}

}  // namespace Orvane::pipe
