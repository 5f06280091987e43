#include "com/task_memory.h"

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
