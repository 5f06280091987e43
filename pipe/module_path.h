#pragma once
// The full path of a loaded module, however long: both ends of the pipe
// look for files next to their own binary.

#include <windows.h>

#include <string>

namespace Orvane::pipe {

// Empty when the path cannot be read. A null module is the process's program.
std::wstring module_file_path(HMODULE module);

}  // namespace Orvane::pipe
