// Speaks one text with the legacy engine and writes it to a WAV file.
// Exit codes: 0 written, 1 failure, 2 usage error.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/orvane-wav/wav_options.h"
#include "engine/engine_driver.h"
#include "tests/support/wav.h"

namespace {

using Orvane::engine::engine_driver;
using Orvane::engine::engine_driver_ptr;

int fail(const std::string& message) {
    std::fprintf(stderr, "orvane-wav: %s\n", message.c_str());
    return 1;
}

std::wstring exe_folder() {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) == path.size())
        path.resize(path.size() * 2);
    path.resize(length);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

engine_driver_ptr load_engine() {
    if (engine_driver_ptr driver = engine_driver::load((exe_folder() + L"o32_tts.dll").c_str())) return driver;
    return engine_driver::load(L"o32_tts.dll");
}

bool append(const void* data, uint32_t bytes, void* user_data) {
    auto& samples = *static_cast<std::vector<int16_t>*>(user_data);
    const auto* begin = static_cast<const int16_t*>(data);
    samples.insert(samples.end(), begin, begin + bytes / 2);
    return true;
}

int run(const Orvane::utils::wav_options& options) {
    engine_driver_ptr driver = load_engine();
    if (!driver) return fail("cannot load o32_tts.dll (next to this program or on the search path)");
    std::vector<int16_t> samples;
    engine_driver::speak(driver.get(), append, &samples, options.text.c_str(), options.voice, options.rate,
                         options.speed, options.volume, options.pitch);
    if (samples.empty()) return fail("the engine produced no audio for this text");
    try {
        Orvane::testing::write_wav(options.out, samples);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = Orvane::utils::parse_wav_options(args, error);
    if (!options) {
        std::fprintf(stderr, "%s (%s)\n", Orvane::utils::wav_usage, error.c_str());
        return 2;
    }
    try {
        return run(*options);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
}
