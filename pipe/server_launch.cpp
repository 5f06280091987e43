#include "pipe/server_launch.h"

#include <windows.h>

#include "pipe/names.h"
#include "pipe/poll.h"
#include "pipe/server_path.h"
#include "utils/handle.h"
#include "utils/process.h"

namespace Orvane::pipe {
namespace {

constexpr DWORD launch_wait_ms = 5000;
constexpr ULONGLONG mutex_wait_ms = 2000;  // for the started server's mutex

// Waits for the started server's mutex. A server that ends before it shows
// (it cannot load the legacy library) is not coming: false at once. One
// that is merely slow counts as started.
bool wait_for_server_mutex(HANDLE process) {
    auto exited = [process] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; };
    poll_until([&] { return server_mutex_exists() || exited(); }, mutex_wait_ms);
    return server_mutex_exists() || !exited();
}

}  // namespace

bool server_mutex_exists() {
    utils::unique_handle mutex(OpenMutexW(SYNCHRONIZE, FALSE, server_mutex_name));
    return mutex.valid();
}

bool launch_server_process(const std::wstring& server_path) {
    if (server_mutex_exists()) return true;
    if (!file_exists(server_path)) return false;
    utils::unique_handle launch_mutex(CreateMutexW(nullptr, FALSE, launch_mutex_name));
    if (!launch_mutex) return false;
    const DWORD wait = WaitForSingleObject(launch_mutex.get(), launch_wait_ms);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return false;
    utils::owned_mutex held(std::move(launch_mutex));
    if (server_mutex_exists()) return true;
    utils::process_launch launch;
    launch.application = server_path;
    launch.detached = true;
    const utils::unique_handle process = utils::create_process(launch);
    return process && wait_for_server_mutex(process.get());
}

}  // namespace Orvane::pipe
