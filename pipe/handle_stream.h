#pragma once
// A byte_stream over a pipe handle in blocking byte mode.

#include <windows.h>

#include "pipe/message_io.h"

namespace Orvane::pipe {

class handle_stream final : public byte_stream {
public:
    explicit handle_stream(HANDLE handle) : handle_(handle) {}
    std::size_t read_some(void* buffer, std::size_t size) override;
    bool write(const void* data, std::size_t size) override;

private:
    HANDLE handle_;
};

}  // namespace Orvane::pipe
