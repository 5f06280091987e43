// Figures only the 32-bit build can measure: the legacy engine's own
// synthesis without wave output, and the driver's time-stretch.
#include "bench/driver_figures.h"
#include "bench/figures.h"

#include "bench/texts.h"
#include "engine/text_normalise.h"
#include "engine/utterance.h"
#include "standins/o32_tts/synth.h"

namespace Orvane::bench {

double time_in_memory_synthesis(const std::string& text, results& out) {
    // The very utterance the driver hands to the engine for voice 0.
    const std::string utterance = engine::build_utterance(engine::normalise_text(text), 0, -1);
    const auto start = clock_type::now();
    const std::vector<int16_t> pcm = standin::synthesize(utterance, standin::synth_params{});
    const double ms = ms_since(start);
    out.fact("long_synthesize_bytes", double(pcm.size() * 2));
    return ms;
}

void measure_text_preparation(const options& opts, results& out) {
    // What grows with the text before the first block: our preparation of
    // the utterance, then the legacy engine reading all of it.
    const std::string texts[] = {text_of_words(1), text_of_words(opts.sizes.many_words)};
    const char* names[] = {"one_word", "many_words"};
    for (int run = 0; run < opts.sizes.stream_runs; ++run) {
        for (int i = 0; i < 2; ++i) {
            auto start = clock_type::now();
            const std::string utterance = engine::build_utterance(engine::normalise_text(texts[i]), 0, -1);
            out.add(std::string(names[i]) + "_prepare_ms", ms_since(start));
            start = clock_type::now();
            standin::synth_stream stream(utterance, standin::synth_params{});
            out.add(std::string(names[i]) + "_engine_parse_ms", ms_since(start));
            if (stream.total_samples() == 0) out.fact("empty_utterance", names[i]);
        }
    }
}

void measure_stretch(const options& opts, results& out, direct_speaker& direct) {
    const std::string text = text_of_characters(opts.sizes.stretch_characters);
    out.fact("stretch_characters", double(text.size()));
    audio_probe warm;  // Sonic's first stream
    direct.speak(one_sentence(), 1.5f, warm);
    for (int run = 0; run < opts.sizes.long_runs; ++run) {
        for (const float speed : {1.0f, 1.5f}) {
            audio_probe probe;
            direct.speak(text, speed, probe);
            const double ms = ms_since(probe.start);
            const std::string name = speed == 1.0f ? "stretch_1_0" : "stretch_1_5";
            out.add(name + "_ms", ms);
            out.fact(name + "_bytes", double(probe.bytes));
        }
    }
}

}  // namespace Orvane::bench
