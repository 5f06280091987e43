#include "pipe/server_launch.h"

#include <windows.h>

#include "pipe/names.h"
#include "pipe/poll.h"
#include "pipe/server_path.h"
#include "utils/handle.h"

namespace Orvane::pipe {
namespace {

constexpr DWORD launch_wait_ms = 5000;
constexpr ULONGLONG mutex_wait_ms = 2000;  // for the started server's mutex

// Starts the server hidden, with no standard handles of ours: under Wine a
// child given none of its own keeps the caller's Unix output, and a shell
// that waits for that output to close would wait for the server's exit.
utils::unique_handle start_hidden(const std::wstring& path) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = INVALID_HANDLE_VALUE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(path.c_str(), nullptr, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return {};
    CloseHandle(process.hThread);
    return utils::unique_handle(process.hProcess);
}

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
    const utils::unique_handle process = start_hidden(server_path);
    return process && wait_for_server_mutex(process.get());
}

}  // namespace Orvane::pipe
