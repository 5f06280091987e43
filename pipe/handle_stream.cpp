#include "pipe/handle_stream.h"

#include <algorithm>

namespace Orvane::pipe {
namespace {
constexpr std::size_t max_chunk = 1u << 20;
}

std::size_t handle_stream::read_some(void* buffer, std::size_t size) {
    DWORD got = 0;
    const DWORD wanted = DWORD(std::min(size, max_chunk));
    if (!ReadFile(handle_, buffer, wanted, &got, nullptr)) return 0;
    return got;
}

bool handle_stream::write(const void* data, std::size_t size) {
    auto* in = static_cast<const uint8_t*>(data);
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min(size, max_chunk));
        if (!WriteFile(handle_, in, chunk, &written, nullptr) || written == 0) return false;
        in += written;
        size -= written;
    }
    return true;
}

}  // namespace Orvane::pipe
