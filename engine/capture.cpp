#include "engine/capture.h"

#include <atomic>
#include <exception>
#include <mutex>

#include "engine/engine_driver.h"
#include "engine/notify_window.h"
#include "engine/stretch.h"
#include "hook/inline_hook.h"

namespace Orvane::engine {

thread_local engine_driver* current_driver = nullptr;

namespace {

// Where each real winmm function is still reached (the trampolines).
decltype(&::waveOutOpen) real_waveOutOpen = nullptr;
decltype(&::waveOutPrepareHeader) real_waveOutPrepareHeader = nullptr;
decltype(&::waveOutWrite) real_waveOutWrite = nullptr;
decltype(&::waveOutUnprepareHeader) real_waveOutUnprepareHeader = nullptr;
decltype(&::waveOutReset) real_waveOutReset = nullptr;
decltype(&::waveOutClose) real_waveOutClose = nullptr;

engine_driver* owner_of(HWAVEOUT hwo) {
    engine_driver* driver = current_driver;
    return (driver && reinterpret_cast<HWAVEOUT>(driver) == hwo) ? driver : nullptr;
}

template <typename Fn>
void attach(HMODULE winmm, const char* name, Fn detour, Fn* original) {
    void* target = reinterpret_cast<void*>(GetProcAddress(winmm, name));
    if (!target) return;
    hook::create_hook(target, reinterpret_cast<void*>(detour), reinterpret_cast<void**>(original));
}

void deliver(engine_driver& driver, const WAVEHDR& header) {
    if (!header.lpData) return;
    const uint32_t bytes = header.dwBufferLength & ~1u;  // whole samples only
    if (bytes == 0) return;
    if (driver.stream && driver.speed != 1.0f) {
        stretch_write(driver, reinterpret_cast<const short*>(header.lpData), static_cast<int>(bytes / 2));
        deliver_stretched(driver, false);
    } else if (!driver.callback(header.lpData, bytes, driver.callback_data)) {
        driver.stopped = true;
    }
}

}  // namespace

void pin_this_module() {
    static std::atomic<bool> pinned{false};
    if (pinned.exchange(true)) return;
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCWSTR>(&hooked_waveOutOpen), &self);
}

namespace {

void patch_winmm() {
    // Pinned first: from the moment a hook is enabled, winmm calls into us.
    pin_this_module();
    // The hooks patch winmm's own code, so winmm must outlive whoever loaded
    // it: when the legacy library is the only user and gets unloaded, winmm
    // would go with it and come back unpatched. Our reference is pinned.
    HMODULE winmm = LoadLibraryW(L"winmm.dll");
    if (!winmm) return;  // the engine then simply plays to the device
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"winmm.dll", &pinned);
    hook::initialize();
    attach(winmm, "waveOutOpen", &hooked_waveOutOpen, &real_waveOutOpen);
    attach(winmm, "waveOutPrepareHeader", &hooked_waveOutPrepareHeader, &real_waveOutPrepareHeader);
    attach(winmm, "waveOutWrite", &hooked_waveOutWrite, &real_waveOutWrite);
    attach(winmm, "waveOutUnprepareHeader", &hooked_waveOutUnprepareHeader, &real_waveOutUnprepareHeader);
    attach(winmm, "waveOutReset", &hooked_waveOutReset, &real_waveOutReset);
    attach(winmm, "waveOutClose", &hooked_waveOutClose, &real_waveOutClose);
    hook::enable_all_hooks();
}

}  // namespace

void install_hooks() {
    // A thread that finds the work begun waits until it is done: speaking
    // before every hook is enabled would play the audio to the device.
    // Failures are not retried.
    static std::once_flag once;
    std::call_once(once, patch_winmm);
}

MMRESULT WINAPI hooked_waveOutOpen(LPHWAVEOUT phwo, UINT device, LPCWAVEFORMATEX format, DWORD_PTR callback,
                                   DWORD_PTR instance, DWORD flags) {
    engine_driver* driver = current_driver;
    if (driver && callback == reinterpret_cast<DWORD_PTR>(driver)) {
        if (!phwo) return MMSYSERR_INVALPARAM;
        *phwo = reinterpret_cast<HWAVEOUT>(driver);
        return MMSYSERR_NOERROR;
    }
    return real_waveOutOpen(phwo, device, format, callback, instance, flags);
}

MMRESULT WINAPI hooked_waveOutPrepareHeader(HWAVEOUT hwo, LPWAVEHDR header, UINT size) {
    if (owner_of(hwo)) return MMSYSERR_NOERROR;
    return real_waveOutPrepareHeader(hwo, header, size);
}

MMRESULT WINAPI hooked_waveOutUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR header, UINT size) {
    if (owner_of(hwo)) return MMSYSERR_NOERROR;
    return real_waveOutUnprepareHeader(hwo, header, size);
}

MMRESULT WINAPI hooked_waveOutReset(HWAVEOUT hwo) {
    if (owner_of(hwo)) return MMSYSERR_NOERROR;
    return real_waveOutReset(hwo);
}

MMRESULT WINAPI hooked_waveOutClose(HWAVEOUT hwo) {
    if (owner_of(hwo)) return MMSYSERR_NOERROR;
    return real_waveOutClose(hwo);
}

MMRESULT WINAPI hooked_waveOutWrite(HWAVEOUT hwo, LPWAVEHDR header, UINT size) {
    engine_driver* driver = owner_of(hwo);
    if (!driver) return real_waveOutWrite(hwo, header, size);
    if (!header) return MMSYSERR_INVALPARAM;
    // Every buffer is reported played, delivered or not, or the engine waits.
    ++driver->captured_buffers;
    PostMessageW(driver->window, buffer_done_message, 0, 0);
    if (driver->stopped || !driver->callback) return MMSYSERR_NOERROR;
    try {
        deliver(*driver, *header);
    } catch (...) {
        // Unwinding through the engine's frames is undefined: stop here and
        // let speak rethrow once TtsWav is back.
        driver->stopped = true;
        if (!driver->pending_error) driver->pending_error = std::current_exception();
    }
    return MMSYSERR_NOERROR;
}

}  // namespace Orvane::engine
