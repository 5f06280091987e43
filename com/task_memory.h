#pragma once
// Strings handed to COM callers live in task memory and belong to them.

#include <windows.h>

#include <string>
#include <string_view>

namespace Orvane::com {

// A NUL-terminated copy in CoTaskMemAlloc memory; raises std::bad_alloc.
wchar_t* task_string(std::wstring_view text);

// Registry form of a CLSID: braces, upper-case hex (StringFromCLSID).
std::wstring clsid_string(REFCLSID clsid);

}  // namespace Orvane::com

namespace Orvane::utils {

// UTF-8 to UTF-16; null or empty gives an empty string.
std::wstring utf8_to_wide(const char* text);

// UTF-16 to UTF-8, for console output.
std::string wide_to_utf8(std::wstring_view text);

}  // namespace Orvane::utils
