// Figures both builds measure, each over its own back-end.
#include <stdexcept>

#include "bench/figures.h"
#include "bench/texts.h"
#include "standins/o32_tts/synth.h"

namespace Orvane::bench {
namespace {

constexpr double pcm_bytes_per_ms = 2.0 * standin::sample_rate / 1000.0;

// Room for the whole audio of an ASCII text at rate 0, so that copying the
// blocks never reallocates in the middle of a timed run.
size_t audio_bytes_of(const std::string& text) { return text.size() * standin::base_segment_samples * 2 + 4096; }

double timed_direct(direct_speaker& direct, const std::string& text, std::vector<uint8_t>& keep,
                    uint64_t* blocks = nullptr) {
    keep.clear();
    keep.reserve(audio_bytes_of(text));
    audio_probe probe;
    probe.keep = &keep;
    direct.speak(text, 1.0f, probe);
    const double ms = ms_since(probe.start);
    if (blocks) *blocks = probe.blocks;
    return ms;
}

double timed_sapi(sapi_runner& sapi, const std::wstring& text, size_t reserve, size_t& bytes) {
    sapi_host::engine_site site;
    site.audio.reserve(reserve);
    const auto start = clock_type::now();
    const HRESULT hr = sapi.speak(text, site);
    const double ms = ms_since(start);
    if (FAILED(hr)) throw std::runtime_error("the SAPI engine failed a long text");
    bytes = site.audio.size();
    return ms;
}

}  // namespace

void measure_long_text(const options& opts, results& out, direct_speaker& direct, sapi_runner& sapi,
                       const synthesis_baseline& baseline) {
    const std::string text = text_of_characters(opts.sizes.long_characters);
    const std::wstring wide = widen(text);
    out.fact("long_text_characters", double(text.size()));
    out.fact("direct_backend", direct_speaker::description());
    // Warm-up: library, window, hooks, server connection, engine back-end.
    std::vector<uint8_t> keep;
    timed_direct(direct, one_sentence(), keep);
    size_t bytes = 0;
    timed_sapi(sapi, widen(one_sentence()), 0, bytes);
    for (int run = 0; run < opts.sizes.long_runs; ++run) {
        if (baseline) out.add("long_synthesize_ms", baseline(text, out));
        auto run_direct = [&] {
            uint64_t blocks = 0;
            out.add("long_direct_ms", timed_direct(direct, text, keep, &blocks));
            out.fact("long_direct_bytes", double(keep.size()));
            out.fact("long_direct_blocks", double(blocks));
            out.fact("long_audio_ms", double(keep.size()) / pcm_bytes_per_ms);
            keep = {};  // the site needs the room
        };
        auto run_sapi = [&] {
            out.add("long_sapi_ms", timed_sapi(sapi, wide, audio_bytes_of(text), bytes));
            out.fact("long_sapi_bytes", double(bytes));
        };
        // Each pair in both orders in turn: whatever the first run of a
        // pair leaves behind (freed memory, a busy server) favours neither.
        if (run % 2 == 0) {
            run_direct();
            run_sapi();
        } else {
            run_sapi();
            run_direct();
        }
    }
}

void measure_first_audio(const options& opts, results& out, direct_speaker& direct) {
    const std::string sentence = one_sentence();
    audio_probe warm;
    direct.speak(sentence, 1.0f, warm);
    out.fact("sentence_characters", double(sentence.size()));
    out.fact("sentence_audio_ms", double(warm.bytes) / pcm_bytes_per_ms);
    for (int run = 0; run < opts.sizes.short_runs; ++run) {
        audio_probe probe;
        direct.speak(sentence, 1.0f, probe);
        const double total = ms_since(probe.start);
        if (!probe.any) throw std::runtime_error("a sentence gave no audio");
        out.add("sentence_first_audio_ms", probe.first_audio_ms());
        out.add("sentence_total_ms", total);
    }
}

void measure_streaming(const options& opts, results& out, direct_speaker& direct) {
    const std::string one_word = text_of_words(1);
    const std::string many_words = text_of_words(opts.sizes.many_words);
    out.fact("many_words", double(opts.sizes.many_words));
    out.fact("many_words_characters", double(many_words.size()));
    for (int run = 0; run < opts.sizes.stream_runs; ++run) {
        for (const auto* text : {&one_word, &many_words}) {
            audio_probe probe;
            probe.refuse_after_first = true;  // only the wait for the first block counts
            direct.speak(*text, 1.0f, probe);
            const double total = ms_since(probe.start);
            if (!probe.any) throw std::runtime_error("a streaming text gave no audio");
            const std::string name = text == &one_word ? "one_word" : "many_words";
            out.add(name + "_first_audio_ms", probe.first_audio_ms());
            out.add(name + "_total_ms", total);
        }
    }
}

void measure_abort(const options& opts, results& out, direct_speaker& direct, sapi_runner& sapi) {
    const std::string text = text_of_characters(opts.sizes.abort_characters);
    const std::wstring wide = widen(text);
    // Half of the fragment's audio at rate 0: the abort comes in its middle.
    const uint64_t trigger = uint64_t(text.size()) * standin::base_segment_samples;
    out.fact("abort_characters", double(text.size()));
    out.fact("abort_after_bytes", double(trigger));
    for (int run = 0; run < opts.sizes.abort_runs; ++run) {
        sapi_host::engine_site site;
        site.audio.reserve(audio_bytes_of(text));
        bool raised = false;
        clock_type::time_point raised_at{};
        size_t bytes_at_request = 0;
        site.before_actions = [&](sapi_host::engine_site& s) {
            if (raised || s.audio.size() < trigger) return;
            s.pending_actions |= SPVES_ABORT;
            raised = true;
            bytes_at_request = s.audio.size();
            raised_at = clock_type::now();
        };
        const HRESULT hr = sapi.speak(wide, site);
        const auto returned = clock_type::now();
        if (hr != S_OK || !raised) throw std::runtime_error("the abort request was never raised or Speak failed");
        out.add("abort_latency_ms", ms_between(raised_at, returned));
        out.add("abort_audio_after_request_bytes", double(site.audio.size() - bytes_at_request), "bytes");

        // What bounds it: the legacy engine producing the whole fragment
        // with nothing delivered.
        audio_probe probe;
        probe.refuse_all = true;
        direct.speak(text, 1.0f, probe);
        out.add("abort_fragment_undelivered_ms", ms_since(probe.start));
    }
}

}  // namespace Orvane::bench
