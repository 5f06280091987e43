#include "pipe/server_launch.h"

#include <windows.h>

#include "pipe/handle.h"
#include "pipe/names.h"
#include "pipe/poll.h"
#include "pipe/server_path.h"

namespace Orvane::pipe {
namespace {

constexpr DWORD launch_wait_ms = 5000;
constexpr ULONGLONG mutex_wait_ms = 2000;  // for the started server's mutex

bool start_hidden(const std::wstring& path) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(path.c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

void wait_for_server_mutex() { poll_until(server_mutex_exists, mutex_wait_ms); }

}  // namespace

bool server_mutex_exists() {
    unique_handle mutex(OpenMutexW(SYNCHRONIZE, FALSE, server_mutex_name));
    return mutex.valid();
}

bool launch_server_process(const std::wstring& server_path) {
    if (server_mutex_exists()) return true;
    if (!file_exists(server_path)) return false;
    unique_handle launch_mutex(CreateMutexW(nullptr, FALSE, launch_mutex_name));
    if (!launch_mutex) return false;
    const DWORD wait = WaitForSingleObject(launch_mutex.get(), launch_wait_ms);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return false;
    owned_mutex held(std::move(launch_mutex));
    if (server_mutex_exists()) return true;
    if (!start_hidden(server_path)) return false;
    wait_for_server_mutex();
    return true;
}

}  // namespace Orvane::pipe
