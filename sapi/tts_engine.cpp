#include "sapi/tts_engine.h"

#include "com/com_boundary.h"
#include "com/out_ptr.h"
#include "engine/pcm_format.h"
#include "utils/utf.h"

namespace Orvane::sapi {

HRESULT ISpTTSEngineImpl::GetOutputFormat(const GUID*, const WAVEFORMATEX*, GUID* format_id,
                                          WAVEFORMATEX** format) {
    if (!format_id || !format) return E_POINTER;
    *format_id = SPDFID_WaveFormatEx;
    *format = nullptr;
    auto* pcm = static_cast<WAVEFORMATEX*>(CoTaskMemAlloc(sizeof(WAVEFORMATEX)));
    if (!pcm) return E_OUTOFMEMORY;
    *pcm = engine::pcm_wave_format();
    *format = pcm;
    return S_OK;
}

HRESULT ISpTTSEngineImpl::SetObjectToken(ISpObjectToken* new_token) {
    if (!new_token) return E_INVALIDARG;
    com::com_ptr<ISpDataKey> attributes;
    if (FAILED(new_token->OpenKey(L"Attributes", attributes.put()))) return E_INVALIDARG;
    utils::out_ptr<wchar_t> name(CoTaskMemFree);
    if (FAILED(attributes->GetStringValue(L"Name", name.put()))) return E_INVALIDARG;
    return com::com_boundary([&] {
        voice_index = 0;
        voice_index = speech_backend::find_voice(utils::wide_to_utf8(name.get() ? name.get() : L""));
        new_token->AddRef();
        token = com::com_ptr<ISpObjectToken>::attach(new_token);
        return S_OK;
    });
}

HRESULT ISpTTSEngineImpl::GetObjectToken(ISpObjectToken** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!token) return E_UNEXPECTED;
    token->AddRef();
    *out = token.get();
    return S_OK;
}

}  // namespace Orvane::sapi
