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

bool file_exists(const std::wstring& path);

std::wstring resolve_server_path();

}  // namespace Orvane::pipe
