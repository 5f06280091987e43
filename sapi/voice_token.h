#pragma once
// The data key of one catalogue voice: its name as default value, the
// engine's CLSID, and an "Attributes" subkey that SAPI matches voices by.

#include "sapi/data_key.h"

namespace Orvane::sapi {

class voice_token : public ISpDataKeyImpl {
public:
    explicit voice_token(int voice_index);

    HRESULT STDMETHODCALLTYPE OpenKey(LPCWSTR name, ISpDataKey** key) override;
    HRESULT STDMETHODCALLTYPE EnumKeys(ULONG index, LPWSTR* name) override;

private:
    utils::ascii_imap attributes;
};

}  // namespace Orvane::sapi
