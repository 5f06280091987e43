#include "server/instance_stream.h"

#include <algorithm>
#include <cstdint>

#include "server/overlapped_io.h"

namespace Orvane::server {
namespace {
constexpr std::size_t max_chunk = 1u << 20;
}

instance_stream::instance_stream(HANDLE pipe, HANDLE cancel)
    : pipe_(pipe), cancel_(cancel), event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

std::size_t instance_stream::read_some(void* buffer, std::size_t size) {
    if (!event_ || cancelled()) return 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event_.get();
    DWORD got = 0;
    const BOOL started = ReadFile(pipe_, buffer, DWORD(std::min(size, max_chunk)), nullptr, &overlapped);
    return finish_overlapped(pipe_, overlapped, started, cancel_, got) ? got : 0;
}

bool instance_stream::write(const void* data, std::size_t size) {
    auto* in = static_cast<const uint8_t*>(data);
    while (size > 0) {
        if (!event_ || cancelled()) return false;
        OVERLAPPED overlapped{};
        overlapped.hEvent = event_.get();
        DWORD written = 0;
        const BOOL started = WriteFile(pipe_, in, DWORD(std::min(size, max_chunk)), nullptr, &overlapped);
        if (!finish_overlapped(pipe_, overlapped, started, cancel_, written) || written == 0) return false;
        in += written;
        size -= written;
    }
    return true;
}

}  // namespace Orvane::server
