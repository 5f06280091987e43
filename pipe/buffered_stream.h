#pragma once
// Reads ahead from another stream in large pieces. A reader that asks for
// a header and then its payload costs two reads per message; when the
// writer is ahead of us, one read ahead brings several whole messages.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pipe/message_io.h"

namespace Orvane::pipe {

class buffered_stream final : public byte_stream {
public:
    static constexpr std::size_t default_capacity = 64 * 1024;

    explicit buffered_stream(byte_stream& inner, std::size_t capacity = default_capacity);

    std::size_t read_some(void* buffer, std::size_t size) override;
    bool write(const void* data, std::size_t size) override { return inner_.write(data, size); }

    // Bytes read from the inner stream that no caller has taken yet.
    std::size_t buffered() const { return end_ - begin_; }

private:
    byte_stream& inner_;
    std::vector<uint8_t> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

}  // namespace Orvane::pipe
