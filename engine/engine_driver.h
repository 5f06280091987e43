#pragma once
// The legacy engine driver: binds one loaded copy of o32_tts.dll and turns a
// text, a voice and four numbers into calls on it, so that the PCM it plays
// reaches an audio_callback instead of the sound card. 32-bit builds only.

#include <windows.h>

#include <cstdint>
#include <exception>
#include <memory>

#include "engine/synthesis.h"

struct sonicStreamStruct;

namespace Orvane::engine {

struct engine_driver;

struct engine_driver_deleter {
    void operator()(engine_driver* driver) const;
};
using engine_driver_ptr = std::unique_ptr<engine_driver, engine_driver_deleter>;

struct engine_driver {
    using create_fn = int(__cdecl*)(uint32_t* handle);
    using set_params_fn = void(__cdecl*)(uint32_t handle, uint32_t id, int32_t value);
    using tts_wav_fn = void(__cdecl*)(uint32_t handle, void* opaque, const char* utterance);
    using handle_fn = void(__cdecl*)(uint32_t handle);
    using destroy_fn = void(__cdecl*)();

    HMODULE module = nullptr;
    uint32_t handle = 0;
    create_fn orvCreate = nullptr;
    tts_wav_fn TtsWav = nullptr;
    handle_fn orvRelBuf = nullptr;
    handle_fn orvClose = nullptr;
    destroy_fn orvDestroy = nullptr;
    set_params_fn orvSetParams = nullptr;
    audio_callback callback = nullptr;
    void* callback_data = nullptr;
    bool stopped = false;
    HWND window = nullptr;
    sonicStreamStruct* stream = nullptr;
    float speed = 1.0f;
    // Of the current speak: buffers the engine wrote, and buffer-done
    // messages that reached orvRelBuf. Equal at the end of a healthy speak.
    uint32_t captured_buffers = 0;
    uint32_t released_buffers = 0;
    // An exception raised inside a hook; it must not unwind through the
    // engine's C frames, so speak rethrows it once TtsWav has returned.
    std::exception_ptr pending_error;

    // Loads the library (path or bare file name); null on any failure,
    // including a library without orvCreate, TtsWav or orvSetParams.
    static engine_driver_ptr load(const wchar_t* path);
    static engine_driver_ptr load(const char* path);

    // Speaks `text` on the calling thread; every callback call happens inside.
    // Without a notification window the engine would wait for buffer
    // releases that never come, so speak then says nothing at all.
    static void speak(engine_driver* driver, audio_callback callback, void* user_data,
                      const synthesis_request& request);

    // Closes the instance (and, for the last driver of the library, calls
    // orvDestroy), unloads the library and disposes of the window: at once
    // on the window's own thread, else by that thread. Accepts null. Any
    // thread may load, speak with and release its own drivers at the same
    // time as others do with theirs.
    static void release(engine_driver* driver);

    // Module instance on which the notification window class is registered.
    static void set_instance(HINSTANCE instance);
};

inline void engine_driver_deleter::operator()(engine_driver* driver) const { engine_driver::release(driver); }

}  // namespace Orvane::engine
