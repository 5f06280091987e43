#include "pipe/buffered_stream.h"

#include <algorithm>
#include <cstring>

namespace Orvane::pipe {

buffered_stream::buffered_stream(byte_stream& inner, std::size_t capacity)
    : inner_(inner), buffer_(std::max<std::size_t>(capacity, 1)) {}

std::size_t buffered_stream::read_some(void* buffer, std::size_t size) {
    if (size == 0) return 0;
    if (buffered() == 0) {
        // A read as large as our buffer gains nothing from a copy.
        if (size >= buffer_.size()) return inner_.read_some(buffer, size);
        const std::size_t got = inner_.read_some(buffer_.data(), buffer_.size());
        if (got == 0 || got > buffer_.size()) return 0;
        begin_ = 0;
        end_ = got;
    }
    const std::size_t n = std::min(size, buffered());
    std::memcpy(buffer, buffer_.data() + begin_, n);
    begin_ += n;
    return n;
}

}  // namespace Orvane::pipe
