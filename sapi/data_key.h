#pragma once
// A read-only SAPI data key served from memory: a default value and named
// string values, looked up without regard to ASCII case.

#include <string>

#include "com/iunknown_impl.h"
#include "sapi/sapi_ddk.h"
#include "utils/ascii_compare.h"

namespace Orvane::sapi {

class ISpDataKeyImpl : public ISpDataKey {
public:
    using interfaces = com::interface_list<ISpDataKey>;

    explicit ISpDataKeyImpl(std::wstring default_value = {}, utils::ascii_imap values = {});
    virtual ~ISpDataKeyImpl() = default;

    HRESULT STDMETHODCALLTYPE SetData(LPCWSTR name, ULONG size, const BYTE* data) override;
    HRESULT STDMETHODCALLTYPE GetData(LPCWSTR name, ULONG* size, BYTE* data) override;
    HRESULT STDMETHODCALLTYPE SetStringValue(LPCWSTR name, LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE GetStringValue(LPCWSTR name, LPWSTR* value) override;
    HRESULT STDMETHODCALLTYPE SetDWORD(LPCWSTR name, DWORD value) override;
    HRESULT STDMETHODCALLTYPE GetDWORD(LPCWSTR name, DWORD* value) override;
    HRESULT STDMETHODCALLTYPE OpenKey(LPCWSTR name, ISpDataKey** key) override;
    HRESULT STDMETHODCALLTYPE CreateKey(LPCWSTR name, ISpDataKey** key) override;
    HRESULT STDMETHODCALLTYPE DeleteKey(LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE DeleteValue(LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE EnumKeys(ULONG index, LPWSTR* name) override;
    HRESULT STDMETHODCALLTYPE EnumValues(ULONG index, LPWSTR* name) override;

protected:
    std::wstring default_value;
    utils::ascii_imap values;
};

}  // namespace Orvane::sapi
