#pragma once
// The operating-system objects through which the server and its clients meet.

namespace Orvane::pipe {

constexpr const wchar_t* pipe_name = L"\\\\.\\pipe\\OrvaneTTS";
// Owned by the running server for its whole life; clients only test for it.
constexpr const wchar_t* server_mutex_name = L"Global\\OrvaneTTSServerMutex";
// Held by a client for one launch so that concurrent clients start one server.
constexpr const wchar_t* launch_mutex_name = L"Global\\OrvaneTTSLaunchMutex";
constexpr const wchar_t* server_file_name = L"OrvaneServer.exe";
constexpr unsigned pipe_buffer_size = 65536;

}  // namespace Orvane::pipe
