#pragma once
// The measurements of the benchmark programs. Each adds its series and
// facts to `out`; runs of the things compared alternate, so that a drift
// of the machine's speed touches both sides alike.

#include <functional>
#include <string>

#include "bench/direct_speaker.h"
#include "bench/options.h"
#include "bench/results.h"
#include "bench/sapi_runner.h"

namespace Orvane::bench {

// In-memory synthesis of a text, timed; empty where the build has none.
using synthesis_baseline = std::function<double(const std::string& text, results& out)>;

// The program's name and everything it measures (one per build).
const char* program_name();
void run_figures(const options& opts, results& out);

// Both builds.
void measure_message_cost(const options& opts, results& out);
void measure_long_text(const options& opts, results& out, direct_speaker& direct, sapi_runner& sapi,
                       const synthesis_baseline& baseline);
void measure_first_audio(const options& opts, results& out, direct_speaker& direct);
void measure_streaming(const options& opts, results& out, direct_speaker& direct);
void measure_abort(const options& opts, results& out, direct_speaker& direct, sapi_runner& sapi);
// The stand-in's synthesis and Sonic alone: the same arithmetic in each build.
void measure_compute_alone(const options& opts, results& out);

// 32-bit: the driver's time-stretch.
void measure_stretch(const options& opts, results& out, direct_speaker& direct);

// 64-bit: the speech server's process. Starts the server if needed and
// returns its process id, found through a short connection of our own.
unsigned long start_server_and_find_it(const std::wstring& server);
void measure_server_resources(const options& opts, results& out, direct_speaker& direct, unsigned long server_id);
// Several clients of one server at once.
void measure_concurrency(const options& opts, results& out, const std::wstring& server, unsigned long server_id);
// Stops the server for every run, and once more at the end.
void measure_cold_start(const options& opts, results& out, const std::wstring& server);

}  // namespace Orvane::bench
