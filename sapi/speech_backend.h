#pragma once
// What the engine speaks with: in the 32-bit build the legacy engine driver
// in this process, in the 64-bit build the process-wide pipe client that
// forwards to the speech server. The engine's own logic is the same; the
// build chooses one of the two implementations (driver_backend.cpp,
// pipe_backend.cpp), and this is the only place where the two differ.

#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/synthesis.h"

namespace Orvane::sapi {

// What Speak returns when nothing was said because the back-end could not
// be reached: HRESULT_FROM_WIN32(ERROR_PIPE_NOT_CONNECTED), "no process is
// on the other end of the pipe".
inline constexpr HRESULT speech_backend_unreachable = static_cast<HRESULT>(0x800700E9L);

class speech_backend {
public:
    speech_backend();
    ~speech_backend();
    speech_backend(const speech_backend&) = delete;
    speech_backend& operator=(const speech_backend&) = delete;

    // Makes sure something can speak; false when nothing can (E_FAIL).
    bool ensure_ready();

    // Synthesises on this thread, handing every block to `sink`. False when
    // the request did not end as it should: the speech server could not be
    // reached, refused it, or was lost on the way (blocks may have come).
    bool synthesize(const engine::synthesis_request& request, engine::audio_callback sink, void* context);

    // The voice index of a voice name (ASCII case ignored); 0 when unknown.
    static int find_voice(const std::string& name);

    // What the library sets up for its back-end when it is loaded into a
    // process, and undoes when it is unloaded; and what it must do before
    // it is unregistered.
    static void attach_library(HMODULE module);
    static void detach_library();
    static void before_unregistration();

private:
    struct state;
    state* state_;
};

}  // namespace Orvane::sapi
