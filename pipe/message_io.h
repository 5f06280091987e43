#pragma once
// Whole-message reads and writes over any byte stream. The pipe keeps no
// message boundaries, so every read is continued until it is complete.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pipe/protocol.h"

namespace Orvane::pipe {

class byte_stream {
public:
    virtual ~byte_stream() = default;
    // Reads at least one byte; 0 means the end of the connection or an error.
    virtual std::size_t read_some(void* buffer, std::size_t size) = 0;
    // Writes every byte or reports failure.
    virtual bool write(const void* data, std::size_t size) = 0;
};

bool read_exact(byte_stream& stream, void* buffer, std::size_t size);

// Asked before a payload buffer grows, so that a reader can bound what
// all its connections hold together.
class payload_allowance {
public:
    virtual ~payload_allowance() = default;
    // True when the payload of the current message may grow to `size` bytes.
    virtual bool allow(std::size_t size) = 0;
};

enum class read_result {
    ok,
    failed,     // end of connection or error before the message was whole
    too_large,  // more than limit, or than the allowance gave; the rest was not read
};

// Reads one header and its payload into a zero-filled buffer of exactly
// `length` bytes. Never reads beyond the current message.
read_result read_message(byte_stream& stream, message_header& header, std::vector<uint8_t>& payload,
                         uint32_t limit = max_payload_length, payload_allowance* allowance = nullptr);

bool write_header(byte_stream& stream, const header_bytes& header);
// The header and the payload, as two writes.
bool write_message(byte_stream& stream, const header_bytes& header, const std::vector<uint8_t>& payload);

}  // namespace Orvane::pipe
