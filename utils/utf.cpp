#include "utils/utf.h"

#include <windows.h>

#include <climits>

namespace Orvane::utils {
namespace {

bool to_wide(std::string_view text, DWORD flags, std::wstring& out) {
    if (text.empty()) {
        out.clear();
        return true;
    }
    if (text.size() > size_t(INT_MAX)) return false;
    const int units = MultiByteToWideChar(CP_UTF8, flags, text.data(), int(text.size()), nullptr, 0);
    if (units <= 0) return false;
    std::wstring wide(size_t(units), L'\0');
    MultiByteToWideChar(CP_UTF8, flags, text.data(), int(text.size()), wide.data(), units);
    out.swap(wide);
    return true;
}

}  // namespace

std::wstring utf8_to_wide(std::string_view text) {
    std::wstring wide;
    to_wide(text, 0, wide);
    return wide;
}

bool utf8_to_wide_checked(std::string_view text, std::wstring& out) {
    return to_wide(text, MB_ERR_INVALID_CHARS, out);
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
