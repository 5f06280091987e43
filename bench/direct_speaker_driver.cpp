// 32-bit: the legacy engine driver in this process, the library loaded from
// next to this program.
#include "bench/direct_speaker.h"

#include <windows.h>

#include <stdexcept>

#include "engine/engine_driver.h"

namespace Orvane::bench {

struct direct_speaker::state {
    engine::engine_driver_ptr driver;
};

namespace {

std::wstring program_folder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

}  // namespace

direct_speaker::direct_speaker() : state_(new state) {
    state_->driver = engine::engine_driver::load((program_folder() + L"o32_tts.dll").c_str());
    if (!state_->driver) throw std::runtime_error("cannot load o32_tts.dll from this program's folder");
}

direct_speaker::~direct_speaker() = default;

void direct_speaker::speak(const std::string& text, float speed, audio_probe& probe) {
    probe.start = clock_type::now();
    engine::engine_driver::speak(state_->driver.get(), audio_probe::take, &probe, text.c_str(), 0, 0, speed, 0, -1);
}

const char* direct_speaker::description() { return "engine_driver::speak (in-process, 32-bit)"; }

}  // namespace Orvane::bench
