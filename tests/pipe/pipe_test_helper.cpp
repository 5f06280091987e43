// A second client process for the pipe tests:
//   path FILE            writes the server path a pipe_client resolves here
//   list SERVER          lists voices, waiting for a slow server start if needed
//   speak-and-die SERVER dies inside the first audio block of a long speech
#include <windows.h>

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
    client.speak(text.c_str(), 0, 0, 1.0f, 0, -1, die, nullptr);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring mode = argv[1];
    if (mode == L"path") return write_path(argv[2]);
    if (mode == L"list") return list(argv[2]);
    if (mode == L"speak-and-die") return speak_and_die(argv[2]);
    return 2;
}
