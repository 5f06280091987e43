#pragma once
// The module this code is linked into, as DllMain recorded it.

#include <windows.h>

#include <string>

namespace Orvane::com {

HMODULE module_handle();
void set_module_handle(HMODULE module);

// Full path of the module file; raises std::runtime_error when it cannot be had.
std::wstring library_path();

}  // namespace Orvane::com
