#include "bench/sapi_runner.h"

#include <stdexcept>

#include "standins/sapi_host/fragment_chain.h"
#include "standins/sapi_host/named_token.h"

namespace Orvane::bench {

sapi_runner::sapi_runner() : engine_(com::IUnknownImpl<sapi::ISpTTSEngineImpl>::create()) {
    // The voice of index 0, as the direct back-end speaks it.
    const auto token = sapi_host::make_named_token(L"Tobin");
    if (FAILED(engine_->SetObjectToken(token.get()))) throw std::runtime_error("the engine refused the voice token");
}

HRESULT sapi_runner::speak(const std::wstring& text, sapi_host::engine_site& site) {
    sapi_host::fragment_chain chain(sapi_host::plain_fragments(text));
    WAVEFORMATEX format{};
    return engine_->Speak(0, SPDFID_WaveFormatEx, &format, chain.head(), &site);
}

}  // namespace Orvane::bench
