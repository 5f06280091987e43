#include "sapi/token_enumerator.h"

#include <algorithm>
#include <stdexcept>

#include "com/com_boundary.h"
#include "engine/voice_table.h"
#include "sapi/object_token.h"

namespace Orvane::sapi {

IEnumSpObjectTokensImpl::IEnumSpObjectTokensImpl(bool fill) {
    if (!fill) return;
    voices.reserve(engine::voice_table_size);
    for (int32_t i = 0; i < engine::voice_table_size; ++i) voices.push_back(i);
}

HRESULT IEnumSpObjectTokensImpl::Next(ULONG celt, ISpObjectToken** rgelt, ULONG* fetched) {
    if (celt == 0) return E_INVALIDARG;
    if (!rgelt) return E_POINTER;
    if (!fetched && celt > 1) return E_POINTER;
    if (fetched) *fetched = 0;
    return com::com_boundary([&] {
        // Never more than what is left, however large celt is.
        const std::size_t end = position + std::min<std::size_t>(celt, voices.size() - position);
        std::vector<com::com_ptr<ISpObjectToken>> tokens;
        tokens.reserve(end - position);
        for (std::size_t k = position; k < end; ++k) tokens.push_back(make_object_token(voices[k]));
        // Check all before handing any out, so that a failure leaves no reference in rgelt.
        for (const auto& token : tokens)
            if (!token) com::throw_com_error(E_POINTER);
        for (std::size_t j = 0; j < tokens.size(); ++j) rgelt[j] = tokens[j].detach();
        const ULONG n = ULONG(tokens.size());
        if (fetched) *fetched = n;
        position += n;
        return n == celt ? S_OK : S_FALSE;
    });
}

HRESULT IEnumSpObjectTokensImpl::Skip(ULONG celt) {
    const std::size_t step = std::min<std::size_t>(celt, voices.size() - position);
    position += step;
    return step == celt ? S_OK : S_FALSE;
}

HRESULT IEnumSpObjectTokensImpl::Reset() {
    position = 0;
    return S_OK;
}

HRESULT IEnumSpObjectTokensImpl::Clone(IEnumSpObjectTokens** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return com::com_boundary([&] {
        auto copy = com::IUnknownImpl<IEnumSpObjectTokensImpl>::create(false);
        IEnumSpObjectTokensImpl& state = *copy.get();
        state.voices = voices;
        state.position = position;
        if (FAILED(copy->QueryInterface(IID_IEnumSpObjectTokens, reinterpret_cast<void**>(out))))
            throw std::invalid_argument("Unsupported interface");
        return S_OK;
    });
}

HRESULT IEnumSpObjectTokensImpl::Item(ULONG index, ISpObjectToken** token) {
    if (!token) return E_POINTER;
    *token = nullptr;
    if (index >= voices.size()) return SPERR_NO_MORE_ITEMS;
    return com::com_boundary([&] {
        auto made = make_object_token(voices[index]);
        if (!made) com::throw_com_error(E_POINTER);
        *token = made.detach();
        return S_OK;
    });
}

HRESULT IEnumSpObjectTokensImpl::GetCount(ULONG* count) {
    if (!count) return E_POINTER;
    *count = ULONG(voices.size());
    return S_OK;
}

}  // namespace Orvane::sapi
