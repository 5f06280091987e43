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
