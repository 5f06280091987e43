#pragma once
// The text-to-speech engine SAPI creates for one of our voice tokens.

#include <cstdint>

#include "com/com_ptr.h"
#include "com/iunknown_impl.h"
#include "sapi/class_ids.h"
#include "sapi/sapi_ddk.h"
#include "sapi/speech_backend.h"

namespace Orvane::sapi {

class ISpTTSEngineImpl : public ISpTTSEngine, public ISpObjectWithToken {
public:
    using interfaces = com::interface_list<ISpTTSEngine, ISpObjectWithToken>;
    static constexpr CLSID class_id = clsid_tts_engine;

    ISpTTSEngineImpl() = default;
    virtual ~ISpTTSEngineImpl() = default;

    // ISpTTSEngine
    HRESULT STDMETHODCALLTYPE Speak(DWORD flags, REFGUID format_id, const WAVEFORMATEX* format,
                                    const SPVTEXTFRAG* fragments, ISpTTSEngineSite* site) override;
    HRESULT STDMETHODCALLTYPE GetOutputFormat(const GUID* target_format_id, const WAVEFORMATEX* target_format,
                                              GUID* format_id, WAVEFORMATEX** format) override;

    // ISpObjectWithToken
    HRESULT STDMETHODCALLTYPE SetObjectToken(ISpObjectToken* token) override;
    HRESULT STDMETHODCALLTYPE GetObjectToken(ISpObjectToken** token) override;

    int voice() const { return voice_index; }

private:
    com::com_ptr<ISpObjectToken> token;
    int voice_index = 0;
    speech_backend backend;  // declared last: destroyed (driver unloaded) before the token goes
};

}  // namespace Orvane::sapi
