#include "utils/process.h"

namespace Orvane::utils {
namespace {

// Wine reports ERROR_INTERNAL_ERROR when the new process dies in its loader
// before it runs any code of its own, which happens now and then when many
// processes start at once. Nothing of the program ran, so starting it again
// is safe.
constexpr int start_attempts = 3;
constexpr DWORD retry_pause_ms = 20;

BOOL create_once(const process_launch& launch, PROCESS_INFORMATION& process) {
    std::wstring command_line = launch.command_line;  // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (launch.detached) {
        startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
        startup.wShowWindow = SW_HIDE;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = INVALID_HANDLE_VALUE;
    }
    return CreateProcessW(launch.application.empty() ? nullptr : launch.application.c_str(),
                          command_line.empty() ? nullptr : command_line.data(), nullptr, nullptr, FALSE,
                          CREATE_NO_WINDOW, nullptr, launch.directory, &startup, &process);
}

}  // namespace

unique_handle create_process(const process_launch& launch) {
    PROCESS_INFORMATION process{};
    for (int attempt = 1;; ++attempt) {
        if (create_once(launch, process)) break;
        if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == start_attempts) return {};
        Sleep(retry_pause_ms);
    }
    CloseHandle(process.hThread);
    return unique_handle(process.hProcess);
}

}  // namespace Orvane::utils
