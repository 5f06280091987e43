#include "sapi/utf8.h"

#include <windows.h>

#include <climits>

namespace Orvane::sapi {

std::string to_utf8(const wchar_t* text, unsigned long length) {
    if (!text || length == 0 || length > static_cast<unsigned long>(INT_MAX)) return {};
    const int units = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, units, result.data(), bytes, nullptr, nullptr);
    return result;
}

std::string to_utf8(const wchar_t* text) { return text ? to_utf8(text, static_cast<unsigned long>(wcslen(text))) : std::string(); }

}  // namespace Orvane::sapi
