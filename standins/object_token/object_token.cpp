#include "standins/object_token/object_token.h"

#include <objbase.h>

#include <sstream>

#include "com/com_boundary.h"
#include "com/out_ptr.h"
#include "com/task_memory.h"
#include "utils/ascii_compare.h"

namespace Orvane::standins {

#define FORWARD_TO_KEY(call)                         \
    if (!data_key) return SPERR_UNINITIALIZED;       \
    return data_key->call

HRESULT object_token::SetData(LPCWSTR n, ULONG s, const BYTE* d) { FORWARD_TO_KEY(SetData(n, s, d)); }
HRESULT object_token::GetData(LPCWSTR n, ULONG* s, BYTE* d) { FORWARD_TO_KEY(GetData(n, s, d)); }
HRESULT object_token::SetStringValue(LPCWSTR n, LPCWSTR v) { FORWARD_TO_KEY(SetStringValue(n, v)); }
HRESULT object_token::GetStringValue(LPCWSTR n, LPWSTR* v) { FORWARD_TO_KEY(GetStringValue(n, v)); }
HRESULT object_token::SetDWORD(LPCWSTR n, DWORD v) { FORWARD_TO_KEY(SetDWORD(n, v)); }
HRESULT object_token::GetDWORD(LPCWSTR n, DWORD* v) { FORWARD_TO_KEY(GetDWORD(n, v)); }
HRESULT object_token::OpenKey(LPCWSTR n, ISpDataKey** k) { FORWARD_TO_KEY(OpenKey(n, k)); }
HRESULT object_token::CreateKey(LPCWSTR n, ISpDataKey** k) { FORWARD_TO_KEY(CreateKey(n, k)); }
HRESULT object_token::DeleteKey(LPCWSTR n) { FORWARD_TO_KEY(DeleteKey(n)); }
HRESULT object_token::DeleteValue(LPCWSTR n) { FORWARD_TO_KEY(DeleteValue(n)); }
HRESULT object_token::EnumKeys(ULONG i, LPWSTR* n) { FORWARD_TO_KEY(EnumKeys(i, n)); }
HRESULT object_token::EnumValues(ULONG i, LPWSTR* n) { FORWARD_TO_KEY(EnumValues(i, n)); }

#undef FORWARD_TO_KEY

HRESULT object_token::InitFromDataKey(LPCWSTR category, LPCWSTR id, ISpDataKey* key) {
    if (!id || !key) return E_INVALIDARG;
    if (data_key) return SPERR_ALREADY_INITIALIZED;
    return com::com_boundary([&] {
        category_id = category ? category : L"";
        token_id = id;
        key->AddRef();
        data_key = com::com_ptr<ISpDataKey>::attach(key);
        return S_OK;
    });
}

HRESULT object_token::SetId(LPCWSTR, LPCWSTR, WINBOOL) { return E_NOTIMPL; }

HRESULT object_token::GetId(LPWSTR* id) {
    if (!id) return E_POINTER;
    *id = nullptr;
    if (!data_key) return SPERR_UNINITIALIZED;
    return com::com_boundary([&] {
        *id = com::task_string(token_id);
        return S_OK;
    });
}

HRESULT object_token::GetCategory(ISpObjectTokenCategory** category) {
    if (category) *category = nullptr;
    return E_NOTIMPL;
}

// As SAPI does: create the class named by "CLSID" and hand it this token.
HRESULT object_token::CreateInstance(IUnknown* outer, DWORD context, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!data_key) return SPERR_UNINITIALIZED;
    return com::com_boundary([&] {
        utils::out_ptr<wchar_t> text(&CoTaskMemFree);
        HRESULT hr = data_key->GetStringValue(L"CLSID", text.put());
        if (FAILED(hr)) return hr;
        CLSID clsid;
        hr = CLSIDFromString(text.get(), &clsid);
        if (FAILED(hr)) return hr;
        com::com_ptr<IUnknown> object;
        hr = CoCreateInstance(clsid, outer, context, IID_IUnknown, object.put_void());
        if (FAILED(hr)) return hr;
        com::com_ptr<ISpObjectWithToken> with_token;
        if (SUCCEEDED(object->QueryInterface(IID_ISpObjectWithToken, with_token.put_void()))) {
            hr = with_token->SetObjectToken(this);
            if (FAILED(hr)) return hr;
        }
        return object->QueryInterface(iid, out);
    });
}

HRESULT object_token::GetStorageFileName(REFCLSID, LPCWSTR, LPCWSTR, ULONG, LPWSTR* path) {
    if (path) *path = nullptr;
    return E_NOTIMPL;
}

HRESULT object_token::RemoveStorageFileName(REFCLSID, LPCWSTR, WINBOOL) { return E_NOTIMPL; }
HRESULT object_token::Remove(const CLSID*) { return E_NOTIMPL; }

HRESULT object_token::IsUISupported(LPCWSTR, void*, ULONG, IUnknown*, WINBOOL* supported) {
    if (!supported) return E_POINTER;
    *supported = FALSE;
    return S_OK;
}

HRESULT object_token::DisplayUI(HWND, LPCWSTR, LPCWSTR, void*, ULONG, IUnknown*) { return E_NOTIMPL; }

// "Name=Lyra;Gender" matches when Name is Lyra and Gender is present.
HRESULT object_token::MatchesAttributes(LPCWSTR attributes, WINBOOL* matches_out) {
    if (!matches_out) return E_POINTER;
    *matches_out = FALSE;
    if (!data_key) return SPERR_UNINITIALIZED;
    return com::com_boundary([&] {
        std::wstringstream list(attributes ? attributes : L"");
        std::wstring clause;
        bool all = true;
        while (all && std::getline(list, clause, L';'))
            if (!clause.empty()) all = matches(clause);
        *matches_out = all ? TRUE : FALSE;
        return S_OK;
    });
}

bool object_token::matches(const std::wstring& clause) {
    com::com_ptr<ISpDataKey> attributes;
    if (FAILED(data_key->OpenKey(L"Attributes", attributes.put()))) return false;
    const size_t equals = clause.find(L'=');
    const std::wstring name = clause.substr(0, equals);
    utils::out_ptr<wchar_t> value(&CoTaskMemFree);
    if (FAILED(attributes->GetStringValue(name.c_str(), value.put()))) return false;
    return equals == std::wstring::npos || utils::ascii_icompare(value.get(), clause.substr(equals + 1)) == 0;
}

}  // namespace Orvane::standins
