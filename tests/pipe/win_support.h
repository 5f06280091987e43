#pragma once
// Windows helpers for tests that use the real pipe: a raw client that writes
// the wire format byte by byte (not through the codec), processes, waits.

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "utils/handle.h"
#include "utils/process.h"
#include "utils/utf.h"

namespace Orvane::testing {

constexpr const wchar_t* test_pipe_name = L"\\\\.\\pipe\\OrvaneTTS";
constexpr const wchar_t* test_server_mutex = L"Global\\OrvaneTTSServerMutex";

// A path the build gives in Unix form (Z:/...), as Windows writes it.
inline std::wstring widen(const char* text) {
    std::wstring wide = utils::utf8_to_wide(text);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return wide;
}

// Generous guards against hangs only; nothing here measures speed.
constexpr DWORD hang_guard_ms = 5 * 60 * 1000;

template <typename Predicate>
bool wait_until(Predicate predicate, DWORD limit_ms = hang_guard_ms) {
    const ULONGLONG end = GetTickCount64() + limit_ms;
    while (!predicate()) {
        if (GetTickCount64() > end) return false;
        Sleep(50);
    }
    return true;
}

inline bool mutex_exists() {
    utils::unique_handle mutex(OpenMutexW(SYNCHRONIZE, FALSE, test_server_mutex));
    return mutex.valid();
}

inline bool pipe_exists() { return WaitNamedPipeW(test_pipe_name, 1) || GetLastError() != ERROR_FILE_NOT_FOUND; }

inline void put_u32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

inline uint32_t get_u32(const uint8_t* in) {
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}

// Bytes of a speak payload, built field by field.
inline std::vector<uint8_t> raw_speak(const std::string& text, int32_t voice = 0, int32_t rate = 0,
                                      float speed = 1.0f, int32_t volume = 0, int32_t pitch = -1) {
    std::vector<uint8_t> bytes;
    put_u32(bytes, uint32_t(voice));
    put_u32(bytes, uint32_t(rate));
    uint32_t speed_bits;
    std::memcpy(&speed_bits, &speed, 4);
    put_u32(bytes, speed_bits);
    put_u32(bytes, uint32_t(volume));
    put_u32(bytes, uint32_t(pitch));
    put_u32(bytes, uint32_t(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
    return bytes;
}

struct raw_message {
    uint32_t kind = 0xFFFFFFFF;
    std::vector<uint8_t> payload;
};

// Either end of a pipe, read without our own codec.
inline bool read_pipe_exact(HANDLE pipe, void* buffer, std::size_t size) {
    auto* out = static_cast<uint8_t*>(buffer);
    while (size) {
        DWORD got = 0;
        if (!ReadFile(pipe, out, DWORD(size), &got, nullptr) || got == 0) return false;
        out += got;
        size -= got;
    }
    return true;
}

inline bool read_raw_message(HANDLE pipe, raw_message& message) {
    uint8_t header[8];
    if (!read_pipe_exact(pipe, header, 8)) return false;
    message.kind = get_u32(header);
    message.payload.assign(get_u32(header + 4), 0);
    return message.payload.empty() || read_pipe_exact(pipe, message.payload.data(), message.payload.size());
}

class raw_client {
public:
    bool connect() {
        for (int attempt = 0; attempt < 200; ++attempt) {
            pipe_.reset(CreateFileW(test_pipe_name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            if (pipe_) return true;
            if (GetLastError() == ERROR_PIPE_BUSY) WaitNamedPipeW(test_pipe_name, 1000);
            else Sleep(100);
        }
        return false;
    }
    void close() { pipe_.reset(); }
    HANDLE handle() const { return pipe_.get(); }

    bool send(const std::vector<uint8_t>& bytes) {
        DWORD written = 0;
        return bytes.empty() || (WriteFile(pipe_.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                                 written == bytes.size());
    }
    bool send_header(uint32_t kind, uint32_t length) {
        std::vector<uint8_t> bytes;
        put_u32(bytes, kind);
        put_u32(bytes, length);
        return send(bytes);
    }
    bool send_message(uint32_t kind, const std::vector<uint8_t>& payload) {
        return send_header(kind, uint32_t(payload.size())) && send(payload);
    }

    bool read(raw_message& message) { return read_raw_message(pipe_.get(), message); }
    // Kind of the next message, or 0xFFFFFFFF when the read failed.
    uint32_t next_kind() {
        raw_message message;
        return read(message) ? message.kind : 0xFFFFFFFFu;
    }

private:
    utils::unique_handle pipe_;
};

// A speak answer read raw: its audio messages up to done, the first other
// kind, or a failed read (last is then 0xFFFFFFFF).
struct speak_answer {
    std::vector<uint8_t> audio;
    std::size_t audio_messages = 0;
    bool well_formed_audio = true;  // every byte_count matched its payload
    uint32_t last = 0xFFFFFFFFu;
};

inline speak_answer read_speak_answer(raw_client& client) {
    constexpr uint32_t audio = 2;
    speak_answer answer;
    raw_message message;
    while (client.read(message)) {
        answer.last = message.kind;
        if (message.kind != audio) return answer;
        ++answer.audio_messages;
        if (message.payload.size() < 4 || get_u32(message.payload.data()) != message.payload.size() - 4) {
            answer.well_formed_audio = false;
            continue;
        }
        answer.audio.insert(answer.audio.end(), message.payload.begin() + 4, message.payload.end());
    }
    answer.last = 0xFFFFFFFFu;
    return answer;
}

// The process serving the pipe, through a short connection of our own; 0
// when none answers.
inline DWORD running_server_pid() {
    raw_client probe;
    if (!probe.connect()) return 0;
    ULONG pid = 0;
    GetNamedPipeServerProcessId(probe.handle(), &pid);
    return pid;
}

struct process_result {
    bool started = false;
    bool exited = false;
    DWORD exit_code = 0;
};

inline utils::unique_handle start_process(const std::wstring& exe, const std::wstring& arguments = L"",
                                         const wchar_t* directory = nullptr) {
    utils::process_launch launch;
    launch.application = exe;
    launch.command_line = L"\"" + exe + L"\" " + arguments;
    launch.directory = directory;
    return utils::create_process(launch);
}

inline process_result wait_process(const utils::unique_handle& process) {
    process_result result;
    result.started = process.valid();
    if (!result.started) return result;
    result.exited = WaitForSingleObject(process.get(), hang_guard_ms) == WAIT_OBJECT_0;
    GetExitCodeProcess(process.get(), &result.exit_code);
    return result;
}

inline int count_processes(const wchar_t* image_name) {
    utils::unique_handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return -1;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        count += _wcsicmp(entry.szExeFile, image_name) == 0;
    return count;
}

inline std::wstring temp_folder(const wchar_t* name) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + name + L"-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// A process that is not our server holding the pipe's name: it accepts
// every connection and reads whatever comes until the client goes.
class pipe_squatter {
public:
    // The pipe exists when the constructor returns.
    pipe_squatter()
        : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          instance_(CreateNamedPipeW(test_pipe_name, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                     PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES, 65536,
                                     65536, 0, nullptr)) {
        thread_ = std::thread([this] { serve(); });
    }
    ~pipe_squatter() {
        SetEvent(stop_.get());
        thread_.join();
    }
    pipe_squatter(const pipe_squatter&) = delete;
    pipe_squatter& operator=(const pipe_squatter&) = delete;

    std::size_t bytes_received() const { return received_; }

private:
    // Waits for an overlapped operation or the stop event; false on stop or failure.
    bool finish(HANDLE instance, OVERLAPPED& overlapped, BOOL started, DWORD& transferred) {
        if (!started) {
            const DWORD error = GetLastError();
            if (error == ERROR_PIPE_CONNECTED) return true;
            if (error != ERROR_IO_PENDING) return false;
            const HANDLE waits[] = {overlapped.hEvent, stop_.get()};
            if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
                CancelIoEx(instance, &overlapped);
                GetOverlappedResult(instance, &overlapped, &transferred, TRUE);
                return false;
            }
        }
        return GetOverlappedResult(instance, &overlapped, &transferred, FALSE) != FALSE;
    }
    // One instance, connected again after each client: the pipe never
    // disappears between two clients.
    void serve() {
        utils::unique_handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        const utils::unique_handle& instance = instance_;
        while (instance && WaitForSingleObject(stop_.get(), 0) != WAIT_OBJECT_0) {
            OVERLAPPED overlapped{};
            overlapped.hEvent = event.get();
            DWORD transferred = 0;
            if (!finish(instance.get(), overlapped, ConnectNamedPipe(instance.get(), &overlapped), transferred))
                continue;
            uint8_t buffer[4096];
            for (;;) {
                overlapped = OVERLAPPED{};
                overlapped.hEvent = event.get();
                transferred = 0;
                const BOOL read = ReadFile(instance.get(), buffer, sizeof buffer, nullptr, &overlapped);
                if (!finish(instance.get(), overlapped, read, transferred) || transferred == 0) break;
                received_ += transferred;
            }
            DisconnectNamedPipe(instance.get());
        }
    }

    utils::unique_handle stop_;
    utils::unique_handle instance_;
    std::atomic<std::size_t> received_{0};
    std::thread thread_;
};

}  // namespace Orvane::testing
