#include "com/task_memory.h"

#include <climits>

#include <objbase.h>

#include <cstring>
#include <new>

#include "com/com_boundary.h"
#include "com/out_ptr.h"

namespace Orvane::com {

wchar_t* task_string(std::wstring_view text) {
    auto* copy = static_cast<wchar_t*>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
    if (!copy) throw std::bad_alloc();
    if (!text.empty()) std::memcpy(copy, text.data(), text.size() * sizeof(wchar_t));
    copy[text.size()] = L'\0';
    return copy;
}

std::wstring clsid_string(REFCLSID clsid) {
    utils::out_ptr<wchar_t> text(&CoTaskMemFree);
    check(StringFromCLSID(clsid, text.put()));
    return text.get();
}

}  // namespace Orvane::com

namespace Orvane::utils {

std::wstring utf8_to_wide(const char* text) {
    if (!text || !*text) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (length <= 1) return {};
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    wide.resize(size_t(length - 1));
    return wide;
}

std::string wide_to_utf8(std::wstring_view text) {
    if (text.empty() || text.size() > size_t(INT_MAX)) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string narrow(size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), narrow.data(), length, nullptr, nullptr);
    return narrow;
}

}  // namespace Orvane::utils
