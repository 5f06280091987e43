// A second client process for the pipe tests:
//   path FILE            writes the server path a pipe_client resolves here
//   list SERVER          lists voices, waiting for a slow server start if needed
//   speak-and-die SERVER dies inside the first audio block of a long speech
//   speak-on SERVER EVENT VOICE TEXT OUT
//                        connects, releases the named semaphore EVENT-ready
//                        when it exists, waits until the named event is set, speaks
//                        TEXT in voice VOICE (an index) and writes the audio to
//                        OUT and, to OUT.times, the performance-counter ticks
//                        of its first audio block and of the end of the speech
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "pipe/pipe_client.h"

using Orvane::pipe::pipe_client;

namespace {

int write_path(const wchar_t* file) {
    const pipe_client client;
    FILE* out = _wfopen(file, L"wb");
    if (!out) return 1;
    fwrite(client.server_path().data(), sizeof(wchar_t), client.server_path().size(), out);
    fclose(out);
    return 0;
}

int list(const wchar_t* server) {
    pipe_client client(server);
    std::vector<Orvane::pipe::voice_entry> voices;
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (client.list_voices(voices)) return voices.size() == 14 ? 0 : 2;
        // Only retry once a server has come up, so no launch is repeated.
        for (int wait = 0; wait < 6000 && !pipe_client::server_running(); ++wait) Sleep(100);
        Sleep(500);
    }
    return 1;
}

bool die(const void*, uint32_t, void*) {
    ExitProcess(7);
}

int speak_and_die(const wchar_t* server) {
    pipe_client client(server);
    std::string text;
    for (int i = 0; i < 40; ++i) text += "A long sentence to keep the server busy. ";
    client.speak({text, 0, 0, 1.0f, 0, -1}, die, nullptr);
    return 1;
}

struct recording {
    std::vector<uint8_t> audio;
    LARGE_INTEGER first{};
};

bool record(const void* data, uint32_t byte_count, void* context) {
    auto& out = *static_cast<recording*>(context);
    if (out.audio.empty()) QueryPerformanceCounter(&out.first);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out.audio.insert(out.audio.end(), bytes, bytes + byte_count);
    return true;
}

int speak_on(const wchar_t* server, const wchar_t* event_name, int voice, const std::wstring& text,
             const std::wstring& out) {
    pipe_client client(server);
    std::vector<Orvane::pipe::voice_entry> voices;
    if (!client.list_voices(voices)) return 3;  // connected before the signal
    if (HANDLE ready = OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, (std::wstring(event_name) + L"-ready").c_str())) {
        ReleaseSemaphore(ready, 1, nullptr);
        CloseHandle(ready);
    }
    HANDLE go = OpenEventW(SYNCHRONIZE, FALSE, event_name);
    if (!go || WaitForSingleObject(go, 60000) != WAIT_OBJECT_0) return 4;
    CloseHandle(go);
    recording heard;
    const std::string narrow(text.begin(), text.end());
    const bool done = client.speak({narrow, voice, 0, 1.0f, 0, -1}, record, &heard);
    LARGE_INTEGER end;
    QueryPerformanceCounter(&end);
    FILE* file = _wfopen(out.c_str(), L"wb");
    if (!file) return 5;
    fwrite(heard.audio.data(), 1, heard.audio.size(), file);
    fclose(file);
    file = _wfopen((out + L".times").c_str(), L"w");
    if (!file) return 5;
    fprintf(file, "%lld %lld\n", heard.first.QuadPart, end.QuadPart);
    fclose(file);
    return done ? 0 : 6;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring mode = argv[1];
    if (mode == L"path") return write_path(argv[2]);
    if (mode == L"list") return list(argv[2]);
    if (mode == L"speak-and-die") return speak_and_die(argv[2]);
    if (mode == L"speak-on" && argc == 7) return speak_on(argv[2], argv[3], _wtoi(argv[4]), argv[5], argv[6]);
    return 2;
}
