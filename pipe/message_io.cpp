#include "pipe/message_io.h"

#include <algorithm>
#include <new>

namespace Orvane::pipe {

bool read_exact(byte_stream& stream, void* buffer, std::size_t size) {
    auto* out = static_cast<uint8_t*>(buffer);
    while (size > 0) {
        const std::size_t got = stream.read_some(out, size);
        if (got == 0 || got > size) return false;
        out += got;
        size -= got;
    }
    return true;
}

read_result read_message(byte_stream& stream, message_header& header, std::vector<uint8_t>& payload,
                         uint32_t limit, payload_allowance* allowance) {
    payload.clear();
    header_bytes bytes{};
    if (!read_exact(stream, bytes.data(), bytes.size())) return read_result::failed;
    decode_header(bytes.data(), bytes.size(), header);
    if (header.length > limit) return read_result::too_large;
    // Grown as bytes arrive, so a header alone cannot make us commit memory.
    constexpr std::size_t step = 64 * 1024;
    try {
        while (payload.size() < header.length) {
            const std::size_t have = payload.size();
            const std::size_t piece = std::min<std::size_t>(step, header.length - have);
            if (allowance && !allowance->allow(have + piece)) return read_result::too_large;
            payload.resize(have + piece);
            if (!read_exact(stream, payload.data() + have, piece)) return read_result::failed;
        }
    } catch (const std::bad_alloc&) {
        return read_result::too_large;
    }
    return read_result::ok;
}

bool write_header(byte_stream& stream, const header_bytes& header) {
    return stream.write(header.data(), header.size());
}

bool write_message(byte_stream& stream, const header_bytes& header, const std::vector<uint8_t>& payload) {
    if (!write_header(stream, header)) return false;
    return payload.empty() || stream.write(payload.data(), payload.size());
}

}  // namespace Orvane::pipe
