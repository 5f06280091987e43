#pragma once
// A token initialised from a data key: answers with the key's values and
// the ids it was given, and creates the object its "CLSID" value names.

#include <string>

#include "com/com_ptr.h"
#include "com/iunknown_impl.h"
#include "sapi/sapi_ddk.h"

namespace Orvane::standins {

class object_token : public ISpObjectTokenInit {
public:
    using interfaces = com::interface_list<ISpObjectTokenInit, ISpObjectToken, ISpDataKey>;
    // CLSID_SpObjectToken {EF411752-3736-4CB4-9C8C-8EF4CCB58EFE}
    static constexpr CLSID class_id = {0xEF411752, 0x3736, 0x4CB4, {0x9C, 0x8C, 0x8E, 0xF4, 0xCC, 0xB5, 0x8E, 0xFE}};

    virtual ~object_token() = default;

    // ISpDataKey: forwarded to the data key.
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

    // ISpObjectToken
    HRESULT STDMETHODCALLTYPE SetId(LPCWSTR category, LPCWSTR id, WINBOOL create) override;
    HRESULT STDMETHODCALLTYPE GetId(LPWSTR* id) override;
    HRESULT STDMETHODCALLTYPE GetCategory(ISpObjectTokenCategory** category) override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, DWORD context, REFIID iid, void** out) override;
    HRESULT STDMETHODCALLTYPE GetStorageFileName(REFCLSID caller, LPCWSTR value_name, LPCWSTR specifier,
                                                 ULONG folder, LPWSTR* path) override;
    HRESULT STDMETHODCALLTYPE RemoveStorageFileName(REFCLSID caller, LPCWSTR key_name, WINBOOL delete_file) override;
    HRESULT STDMETHODCALLTYPE Remove(const CLSID* caller) override;
    HRESULT STDMETHODCALLTYPE IsUISupported(LPCWSTR type, void* extra, ULONG extra_size, IUnknown* object,
                                            WINBOOL* supported) override;
    HRESULT STDMETHODCALLTYPE DisplayUI(HWND parent, LPCWSTR title, LPCWSTR type, void* extra, ULONG extra_size,
                                        IUnknown* object) override;
    HRESULT STDMETHODCALLTYPE MatchesAttributes(LPCWSTR attributes, WINBOOL* matches) override;

    // ISpObjectTokenInit
    HRESULT STDMETHODCALLTYPE InitFromDataKey(LPCWSTR category, LPCWSTR id, ISpDataKey* key) override;

private:
    bool matches(const std::wstring& clause);

    std::wstring category_id;
    std::wstring token_id;
    com::com_ptr<ISpDataKey> data_key;
};

}  // namespace Orvane::standins
