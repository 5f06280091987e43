#pragma once
// Capture of the legacy engine's wave output: hooks on the six winmm
// functions it uses. A call belongs to a driver when the calling thread's
// current_driver is set and the call carries that driver's address (as the
// callback argument of waveOutOpen, as the device handle afterwards); all
// other calls reach winmm unchanged.

#include <windows.h>
#include <mmsystem.h>

namespace Orvane::engine {

struct engine_driver;

extern thread_local engine_driver* current_driver;

// Installs and enables the hooks once per process, and pins this module:
// once winmm jumps into it, it must never be unloaded. Safe from any number
// of threads at once: each returns only once the hooks are in place.
void install_hooks();

// Keeps the module holding this code loaded until the process ends.
void pin_this_module();

// The hook functions, with exactly winmm's declarations.
MMRESULT WINAPI hooked_waveOutOpen(LPHWAVEOUT phwo, UINT device, LPCWAVEFORMATEX format, DWORD_PTR callback,
                                   DWORD_PTR instance, DWORD flags);
MMRESULT WINAPI hooked_waveOutPrepareHeader(HWAVEOUT hwo, LPWAVEHDR header, UINT size);
MMRESULT WINAPI hooked_waveOutWrite(HWAVEOUT hwo, LPWAVEHDR header, UINT size);
MMRESULT WINAPI hooked_waveOutUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR header, UINT size);
MMRESULT WINAPI hooked_waveOutReset(HWAVEOUT hwo);
MMRESULT WINAPI hooked_waveOutClose(HWAVEOUT hwo);

// Sets current_driver for a scope and puts back what was there before.
class current_driver_scope {
public:
    explicit current_driver_scope(engine_driver* driver) : previous_(current_driver) { current_driver = driver; }
    ~current_driver_scope() { current_driver = previous_; }
    current_driver_scope(const current_driver_scope&) = delete;
    current_driver_scope& operator=(const current_driver_scope&) = delete;

private:
    engine_driver* previous_;
};

}  // namespace Orvane::engine
