// The 32-bit program: everything runs in this process over the driver.
#include "bench/driver_figures.h"
#include "bench/figures.h"

namespace Orvane::bench {

const char* program_name() { return "orvane-bench32"; }

void run_figures(const options& opts, results& out) {
    direct_speaker direct;
    sapi_runner sapi;
    measure_message_cost(opts, out);
    measure_compute_alone(opts, out);
    measure_long_text(opts, out, direct, sapi, time_in_memory_synthesis);
    measure_first_audio(opts, out, direct);
    measure_streaming(opts, out, direct);
    measure_text_preparation(opts, out);
    measure_stretch(opts, out, direct);
    measure_abort(opts, out, direct, sapi);
}

}  // namespace Orvane::bench
