#include <windows.h>

#include "com/backend.h"
#include "com/class_table.h"
#include "com/module.h"

#ifdef _WIN64
#include "sapi/process_pipe_client.h"
#else
#include "engine/engine_driver.h"
#endif

namespace Orvane::com {

#ifdef _WIN64
void attach_backend(HMODULE) {
    // Only resolves the server's path; it connects on first use.
    sapi::create_process_pipe_client();
}

void detach_backend() { sapi::destroy_process_pipe_client(); }
#else
void attach_backend(HMODULE module) {
    // The driver's notification window class belongs to this library, not the host.
    engine::engine_driver::set_instance(module);
}

void detach_backend() {}
#endif

}  // namespace Orvane::com

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    using namespace Orvane::com;
    if (reason == DLL_PROCESS_ATTACH) {
        set_module_handle(module);
        DisableThreadLibraryCalls(module);
        try {
            attach_backend(module);
            fill_class_table();
        } catch (...) {
            return FALSE;
        }
    } else if (reason == DLL_PROCESS_DETACH) {
        detach_backend();
    }
    return TRUE;
}
