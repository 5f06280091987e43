#pragma once
// Small helpers shared by the COM tests.

#include <windows.h>
#include <objbase.h>

#include <string>
#include <utility>

#include "com/com_ptr.h"
#include "com/out_ptr.h"
#include "sapi/sapi_ddk.h"

namespace test {

using Orvane::com::com_ptr;

// A string a COM call allocates, and the call's result.
template <class Call>
std::pair<HRESULT, std::wstring> task_string_from(Call&& call) {
    Orvane::utils::out_ptr<wchar_t> text(&CoTaskMemFree);
    const HRESULT hr = call(text.put());
    return {hr, text.get() ? std::wstring(text.get()) : std::wstring(L"(null)")};
}

// A function a loaded module exports, with its real type.
template <class F>
F export_of(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

inline std::wstring string_value(ISpDataKey* key, const wchar_t* name) {
    auto [hr, text] = task_string_from([&](LPWSTR* out) { return key->GetStringValue(name, out); });
    return SUCCEEDED(hr) ? text : L"(hr " + std::to_wstring(unsigned(hr)) + L")";
}

inline std::wstring token_id(ISpObjectToken* token) {
    auto [hr, text] = task_string_from([&](LPWSTR* out) { return token->GetId(out); });
    return SUCCEEDED(hr) ? text : L"(hr " + std::to_wstring(unsigned(hr)) + L")";
}

inline com_ptr<ISpDataKey> attributes_of(ISpDataKey* key) {
    com_ptr<ISpDataKey> attributes;
    key->OpenKey(L"Attributes", attributes.put());
    return attributes;
}

inline std::wstring expected_token_id(const wchar_t* name) {
    return std::wstring(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices\\TokenEnums\\Orvane\\") + name;
}

}  // namespace test
