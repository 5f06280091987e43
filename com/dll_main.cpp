#include <windows.h>

#include <memory>

#include "com/backend.h"
#include "com/class_table.h"
#include "com/module.h"

#ifdef _WIN64
#include "pipe/pipe_client.h"
#endif

namespace Orvane::com {

#ifdef _WIN64
namespace {
std::unique_ptr<pipe::pipe_client> client;
}

pipe::pipe_client* process_pipe_client() { return client.get(); }

void attach_backend(HMODULE) {
    // Only resolves the server's path; it connects on first use.
    client = std::make_unique<pipe::pipe_client>();
}

void detach_backend() { client.reset(); }
#else
void attach_backend(HMODULE) {
    // TODO: hand the module to engine_driver::set_instance once orvane_driver is built.
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
