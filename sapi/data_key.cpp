#include "sapi/data_key.h"

#include <iterator>
#include <utility>

#include "com/com_boundary.h"
#include "com/task_memory.h"

namespace Orvane::sapi {

ISpDataKeyImpl::ISpDataKeyImpl(std::wstring default_value, utils::ascii_imap values)
    : default_value(std::move(default_value)), values(std::move(values)) {}

HRESULT ISpDataKeyImpl::SetData(LPCWSTR, ULONG, const BYTE*) { return E_NOTIMPL; }
HRESULT ISpDataKeyImpl::GetData(LPCWSTR, ULONG*, BYTE*) { return SPERR_NOT_FOUND; }
HRESULT ISpDataKeyImpl::SetStringValue(LPCWSTR, LPCWSTR) { return E_NOTIMPL; }
HRESULT ISpDataKeyImpl::SetDWORD(LPCWSTR, DWORD) { return E_NOTIMPL; }
HRESULT ISpDataKeyImpl::GetDWORD(LPCWSTR, DWORD*) { return E_NOTIMPL; }
// Failures that need no argument still clear a given out pointer, so that a
// caller never frees what it passed in.
HRESULT ISpDataKeyImpl::OpenKey(LPCWSTR, ISpDataKey** key) {
    if (key) *key = nullptr;
    return SPERR_NOT_FOUND;
}
HRESULT ISpDataKeyImpl::CreateKey(LPCWSTR, ISpDataKey**) { return E_NOTIMPL; }
HRESULT ISpDataKeyImpl::DeleteKey(LPCWSTR) { return E_NOTIMPL; }
HRESULT ISpDataKeyImpl::DeleteValue(LPCWSTR) { return E_NOTIMPL; }
HRESULT ISpDataKeyImpl::EnumKeys(ULONG, LPWSTR* name) {
    if (name) *name = nullptr;
    return SPERR_NO_MORE_ITEMS;
}

HRESULT ISpDataKeyImpl::GetStringValue(LPCWSTR name, LPWSTR* value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    return com::com_boundary([&] {
        if (!name || !*name) {
            *value = com::task_string(default_value);
            return S_OK;
        }
        const auto found = values.find(std::wstring_view(name));
        if (found == values.end()) return SPERR_NOT_FOUND;
        *value = com::task_string(found->second);
        return S_OK;
    });
}

HRESULT ISpDataKeyImpl::EnumValues(ULONG index, LPWSTR* name) {
    // The range check comes first: callers probe the end with a null pointer.
    if (name) *name = nullptr;
    if (index >= values.size()) return SPERR_NO_MORE_ITEMS;
    if (!name) return E_POINTER;
    return com::com_boundary([&] {
        *name = com::task_string(std::next(values.begin(), index)->first);
        return S_OK;
    });
}

}  // namespace Orvane::sapi
