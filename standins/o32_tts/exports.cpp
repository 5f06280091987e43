// The six entry points of the stand-in legacy engine. Nothing may escape
// them as an exception: the caller is plain C.
//
// Build variants for load-failure tests leave out an export or make
// orvCreate fail: O32_TTS_NO_CREATE, O32_TTS_NO_TTSWAV, O32_TTS_CREATE_FAILS.
// O32_TTS_DESTROY_ENDS_ALL makes orvDestroy end every open instance, as a
// real library may: it shows who calls orvDestroy too early.

#include <windows.h>

#include <cstdint>

#include "standins/o32_tts/instances.h"
#include "standins/o32_tts/playback.h"
#include "standins/o32_tts/synth.h"
#include "standins/o32_tts/winmm_output.h"

namespace {

using namespace Orvane::standin;

instance_table& instances() {
    static instance_table table;
    return table;
}

constexpr int create_failed = 1;

}  // namespace

extern "C" {

#ifndef O32_TTS_NO_CREATE
int orvCreate(uint32_t* handle) {
#ifdef O32_TTS_CREATE_FAILS
    (void)handle;
    return create_failed;
#else
    if (handle == nullptr) return create_failed;
    try {
        *handle = instances().create();
        return 0;
    } catch (...) {
        return create_failed;
    }
#endif
}
#endif

void orvSetParams(uint32_t handle, uint32_t id, int32_t value) {
    if (const auto instance = instances().find(handle)) instance->set_param(id, value);
}

#ifndef O32_TTS_NO_TTSWAV
void TtsWav(uint32_t handle, void* opaque, const char* text) {
    try {
        if (text == nullptr) return;
        const auto instance = instances().find(handle);
        if (!instance) return;
        const utterance_claim claim(*instance);
        if (!claim.owned()) return;
        synth_stream stream(text, instance->params());
        const auto output = winmm_output::open(opaque);
        if (!output) return;
        play(stream, *output, instance->releases());
    } catch (...) {
        // Out of memory: the utterance ends early, the caller goes on.
    }
}
#endif

void orvRelBuf(uint32_t handle) {
    if (const auto instance = instances().find(handle)) instance->releases().release_oldest();
}

void orvClose(uint32_t handle) { instances().close(handle); }

#ifdef O32_TTS_DESTROY_ENDS_ALL
void orvDestroy() { instances().close_all(); }
#else
// Callers may still hold open instances, so the default build leaves them
// alone; orvClose frees each one.
void orvDestroy() {}
#endif

}  // extern "C"
