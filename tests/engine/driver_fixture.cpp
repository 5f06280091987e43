#include "tests/engine/driver_fixture.h"
#include "utils/module.h"

#include <stdexcept>

#include "engine/text_normalise.h"
#include "engine/utterance.h"
#include "standins/o32_tts/playback.h"
#include "standins/o32_tts/synth.h"

namespace Orvane::engine::testing {

std::wstring beside_exe(const wchar_t* file_name) { return utils::path_beside(nullptr, file_name); }

engine_driver_ptr load_standin() { return engine_driver::load(beside_exe(L"o32_tts.dll").c_str()); }

bool collect(const void* data, uint32_t bytes, void* user_data) {
    auto& sink = *static_cast<collector*>(user_data);
    const int call = sink.calls++;
    if (sink.inside) sink.inside(sink);
    if (sink.throw_at_first && call == 0) throw std::runtime_error("callback failed");
    const auto* samples = static_cast<const int16_t*>(data);
    sink.samples.insert(sink.samples.end(), samples, samples + bytes / 2);
    sink.blocks.push_back(bytes);
    return call != sink.refuse_at;
}

void speak(engine_driver* driver, collector& sink, const request& r) {
    engine_driver::speak(driver, collect, &sink, r);
}

std::vector<int16_t> expected_samples(const request& r) {
    standin::synth_params params;
    params.rate = r.rate;
    params.volume = r.volume;
    return standin::synthesize(build_utterance(normalise_text(r.text), r.voice_index, r.pitch), params);
}

std::vector<uint32_t> expected_blocks(size_t sample_count) {
    std::vector<uint32_t> blocks;
    uint64_t left = uint64_t{sample_count} * 2;
    for (uint64_t i = 0; left > 0; ++i) {
        const uint64_t size = std::min<uint64_t>(left, standin::buffer_bytes(i));
        blocks.push_back(static_cast<uint32_t>(size));
        left -= size;
    }
    return blocks;
}

}  // namespace Orvane::engine::testing
