#include "server/audio_batch.h"

#include <algorithm>

#include "engine/pcm_format.h"
#include "pipe/protocol.h"

namespace Orvane::server {
namespace {

constexpr std::size_t audio_start = pipe::header_size + pipe::audio_prefix_size;
constexpr double audio_bytes_per_ms = engine::pcm_bytes_per_second / 1000.0;

}  // namespace

audio_batch::audio_batch(limits l) : limits_(l), message_(audio_start) {}

std::size_t audio_batch::pending_audio() const { return message_.size() - audio_start; }

bool audio_batch::would_overflow(uint32_t byte_count) const {
    return !empty() && pending_audio() + byte_count > limits_.max_audio_bytes;
}

double audio_batch::lead_ms(double now_ms) const {
    return double(sent_audio_bytes_) / audio_bytes_per_ms - (now_ms - first_sent_ms_);
}

bool audio_batch::should_send(double now_ms) const {
    if (empty()) return false;
    if (!any_sent_ || pending_audio() >= limits_.max_audio_bytes) return true;
    return lead_ms(now_ms) < limits_.min_lead_ms;
}

bool audio_batch::offer(pipe::byte_stream& out, const void* data, uint32_t byte_count, double now_ms) {
    if (would_overflow(byte_count) && !flush(out, now_ms)) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    message_.insert(message_.end(), bytes, bytes + byte_count);
    return !should_send(now_ms) || flush(out, now_ms);
}

bool audio_batch::flush(pipe::byte_stream& out, double now_ms) {
    if (empty()) return true;
    const uint32_t audio = uint32_t(pending_audio());
    const auto header = pipe::encode_header(pipe::reply_kind::audio, audio + uint32_t(pipe::audio_prefix_size));
    const auto count = pipe::encode_u32(audio);
    std::copy(header.begin(), header.end(), message_.begin());
    std::copy(count.begin(), count.end(), message_.begin() + pipe::header_size);
    const bool written = out.write(message_.data(), message_.size());
    // A failed write ends the connection: what it held is not offered again.
    if (!any_sent_) first_sent_ms_ = now_ms;
    any_sent_ = true;
    sent_audio_bytes_ += audio;
    message_.resize(audio_start);
    return written;
}

}  // namespace Orvane::server
