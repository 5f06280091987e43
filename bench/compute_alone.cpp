// The same pure computation in both builds: the stand-in's synthesis and
// Sonic's stretch over that audio, no Windows call in between. Compared
// between the 32-bit program (emulated where the machine cannot run 32-bit
// code) and the 64-bit one, it shows how much of a figure is the platform
// running the code rather than the code.
#include <sonic.h>

#include <algorithm>
#include <memory>

#include "bench/figures.h"
#include "bench/texts.h"
#include "standins/o32_tts/synth.h"

namespace Orvane::bench {
namespace {

struct sonic_deleter {
    void operator()(sonicStreamStruct* stream) const { sonicDestroyStream(stream); }
};

// Speed 1.5 at quality 1, the driver's settings, fed in the legacy engine's
// buffer sizes (2048 and 1024 samples in turn) and read out after each.
size_t stretch(std::vector<int16_t>& pcm) {
    std::unique_ptr<sonicStreamStruct, sonic_deleter> stream(sonicCreateStream(int(standin::sample_rate), 1));
    if (!stream) return 0;
    sonicSetSpeed(stream.get(), 1.5f);
    sonicSetQuality(stream.get(), 1);
    std::vector<short> out(4096);
    size_t produced = 0;
    auto drain = [&] {
        for (int n; (n = sonicReadShortFromStream(stream.get(), out.data(), int(out.size()))) > 0;) produced += size_t(n);
    };
    for (size_t at = 0, index = 0; at < pcm.size(); ++index) {
        const size_t n = std::min<size_t>(index % 2 ? 1024 : 2048, pcm.size() - at);
        sonicWriteShortToStream(stream.get(), pcm.data() + at, int(n));
        drain();
        at += n;
    }
    sonicFlushStream(stream.get());
    drain();
    return produced;
}

}  // namespace

void measure_compute_alone(const options& opts, results& out) {
    const std::string text = text_of_characters(opts.sizes.stretch_characters);
    for (int run = 0; run < opts.sizes.long_runs; ++run) {
        auto start = clock_type::now();
        std::vector<int16_t> pcm = standin::synthesize(text);
        out.add("compute_synthesize_ms", ms_since(start));
        start = clock_type::now();
        const size_t stretched = stretch(pcm);
        out.add("compute_sonic_ms", ms_since(start));
        out.fact("compute_samples", double(pcm.size()));
        out.fact("compute_stretched_samples", double(stretched));
    }
}

}  // namespace Orvane::bench
