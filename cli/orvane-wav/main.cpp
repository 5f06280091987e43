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
#include "engine/legacy_library.h"
#include "support/wav.h"

namespace {

using Orvane::engine::engine_driver;
using Orvane::engine::engine_driver_ptr;

int fail(const std::string& message) {
    std::fprintf(stderr, "orvane-wav: %s\n", message.c_str());
    return 1;
}

bool append(const void* data, uint32_t bytes, void* user_data) {
    auto& samples = *static_cast<std::vector<int16_t>*>(user_data);
    const auto* begin = static_cast<const int16_t*>(data);
    samples.insert(samples.end(), begin, begin + bytes / 2);
    return true;
}

int run(const Orvane::cli::wav_options& options) {
    engine_driver_ptr driver = Orvane::engine::load_legacy_engine(nullptr);
    if (!driver) return fail("cannot load o32_tts.dll (next to this program or on the search path)");
    std::vector<int16_t> samples;
    engine_driver::speak(driver.get(), append, &samples, options.request);
    if (samples.empty()) return fail("the engine produced no audio for this text");
    try {
        Orvane::support::write_wav(options.out, samples);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = Orvane::cli::parse_wav_options(args, error);
    if (!options) {
        std::fprintf(stderr, "%s (%s)\n", Orvane::cli::wav_usage, error.c_str());
        return 2;
    }
    try {
        return run(*options);
    } catch (const std::exception& e) {
        return fail(e.what());
    }
}
