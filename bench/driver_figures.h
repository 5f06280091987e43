#pragma once
// 32-bit only: in-memory synthesis (the baseline of the capture figure).

#include <string>

#include "bench/options.h"
#include "bench/results.h"

namespace Orvane::bench {

// Synthesises `text` as the driver would for voice 0, in memory, timed (ms).
double time_in_memory_synthesis(const std::string& text, results& out);

// Times, per text, the utterance preparation and the engine's parse of it.
void measure_text_preparation(const options& opts, results& out);

}  // namespace Orvane::bench
