#pragma once
// An in-memory byte stream: reads come from a prepared script, at most
// `chunk` bytes at a time (so short reads are exercised), writes are kept.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "pipe/message_io.h"
#include "pipe/protocol.h"

namespace Orvane::testing {

class memory_stream : public pipe::byte_stream {
public:
    std::vector<uint8_t> input;
    std::vector<uint8_t> output;
    std::size_t chunk = SIZE_MAX;
    std::size_t read_position = 0;
    std::size_t write_limit = SIZE_MAX;  // total bytes accepted before writes fail

    std::size_t read_some(void* buffer, std::size_t size) override {
        const std::size_t n = std::min({size, chunk, input.size() - read_position});
        if (n) std::memcpy(buffer, input.data() + read_position, n);
        read_position += n;
        return n;
    }

    bool write(const void* data, std::size_t size) override {
        if (output.size() + size > write_limit) return false;
        auto* bytes = static_cast<const uint8_t*>(data);
        output.insert(output.end(), bytes, bytes + size);
        return true;
    }

    void add(const void* data, std::size_t size) {
        auto* bytes = static_cast<const uint8_t*>(data);
        input.insert(input.end(), bytes, bytes + size);
    }
    void add_header(uint32_t kind, uint32_t length) { add(pipe::encode_header({kind, length}).data(), 8); }
    void add_message(uint32_t kind, const std::vector<uint8_t>& payload) {
        add_header(kind, uint32_t(payload.size()));
        add(payload.data(), payload.size());
    }
    void add_audio(const std::vector<uint8_t>& samples) {
        std::vector<uint8_t> payload(4 + samples.size());
        const auto count = pipe::encode_u32(uint32_t(samples.size()));
        std::copy(count.begin(), count.end(), payload.begin());
        std::copy(samples.begin(), samples.end(), payload.begin() + 4);
        add_message(uint32_t(pipe::reply_kind::audio), payload);
    }
};

struct parsed_message {
    uint32_t kind;
    std::vector<uint8_t> payload;
};

// Splits a byte sequence into messages; a trailing partial message is an error.
inline bool parse_messages(const std::vector<uint8_t>& bytes, std::vector<parsed_message>& messages) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        pipe::message_header header;
        if (!pipe::decode_header(bytes.data() + at, bytes.size() - at, header)) return false;
        at += 8;
        if (header.length > bytes.size() - at) return false;
        messages.push_back({header.kind, {bytes.begin() + at, bytes.begin() + at + header.length}});
        at += header.length;
    }
    return true;
}

inline std::vector<uint32_t> kinds_of(const std::vector<parsed_message>& messages) {
    std::vector<uint32_t> kinds;
    for (const auto& message : messages) kinds.push_back(message.kind);
    return kinds;
}

inline std::vector<uint8_t> bytes_of(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace Orvane::testing
