#pragma once
// The SAPI engine object of this build driven the way SAPI drives it: a
// voice token, one plain-text fragment and a recording output site.

#include <string>

#include "com/com_ptr.h"
#include "com/iunknown_impl.h"
#include "sapi/tts_engine.h"
#include "standins/sapi_host/engine_site.h"

namespace Orvane::bench {

class sapi_runner {
public:
    // Throws std::runtime_error when the voice token cannot be made.
    sapi_runner();

    // One Speak call over `text` as a single fragment.
    HRESULT speak(const std::wstring& text, sapi_host::engine_site& site);

private:
    com::com_ptr<com::IUnknownImpl<sapi::ISpTTSEngineImpl>> engine_;
};

}  // namespace Orvane::bench
