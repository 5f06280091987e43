#include "bench/probe.h"

namespace Orvane::bench {

bool audio_probe::take(const void* data, uint32_t byte_count, void* context) {
    auto& probe = *static_cast<audio_probe*>(context);
    if (!probe.any) {
        probe.first = clock_type::now();
        probe.any = true;
    }
    if (probe.refuse_all) return false;
    probe.bytes += byte_count;
    ++probe.blocks;
    if (probe.keep) {
        const auto* bytes = static_cast<const uint8_t*>(data);
        probe.keep->insert(probe.keep->end(), bytes, bytes + byte_count);
    }
    return !probe.refuse_after_first;
}

}  // namespace Orvane::bench
