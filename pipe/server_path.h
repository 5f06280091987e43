#pragma once
// Where the server executable lives: the installation folder from the
// registry when it holds the file, else the folder of the module that holds
// this code, else that folder's parent.

#include <windows.h>

#include <optional>
#include <string>

namespace Orvane::pipe {

// Path from the InstallLocation value (32-bit registry view), or nothing
// when the key or value is absent or does not fit 260 characters.
std::optional<std::wstring> installed_server_path();

// Full path of the module that contains this function.
std::wstring own_module_path();

// The folder part of a path, without its trailing backslash.
std::wstring parent_folder(const std::wstring& path);

bool file_exists(const std::wstring& path);

std::wstring resolve_server_path();

}  // namespace Orvane::pipe
