#pragma once
// The token enumerator SAPI finds under Voices\TokenEnums: one SAPI object
// token per catalogue voice, built on demand.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "com/iunknown_impl.h"
#include "sapi/class_ids.h"
#include "sapi/sapi_ddk.h"

namespace Orvane::sapi {

class IEnumSpObjectTokensImpl : public IEnumSpObjectTokens {
public:
    using interfaces = com::interface_list<IEnumSpObjectTokens>;
    static constexpr CLSID class_id = clsid_token_enumerator;

    // With `fill`, lists voices 0..13; without, starts empty (for Clone).
    explicit IEnumSpObjectTokensImpl(bool fill = true);
    virtual ~IEnumSpObjectTokensImpl() = default;

    HRESULT STDMETHODCALLTYPE Next(ULONG celt, ISpObjectToken** rgelt, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumSpObjectTokens** out) override;
    HRESULT STDMETHODCALLTYPE Item(ULONG index, ISpObjectToken** token) override;
    HRESULT STDMETHODCALLTYPE GetCount(ULONG* count) override;

private:
    std::size_t position = 0;
    std::vector<int32_t> voices;
};

}  // namespace Orvane::sapi
