#include "server/instance_stream.h"

#include <algorithm>
#include <cstdint>

namespace Orvane::server {
namespace {
constexpr std::size_t max_chunk = 1u << 20;
}

instance_stream::instance_stream(HANDLE pipe, HANDLE cancel)
    : pipe_(pipe), cancel_(cancel), event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

bool instance_stream::complete(BOOL started, OVERLAPPED& overlapped, DWORD& transferred) {
    if (!started && GetLastError() != ERROR_IO_PENDING) return false;
    if (!started) {
        const HANDLE waits[] = {event_.get(), cancel_};
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
            CancelIoEx(pipe_, &overlapped);
            GetOverlappedResult(pipe_, &overlapped, &transferred, TRUE);
            return false;
        }
    }
    return GetOverlappedResult(pipe_, &overlapped, &transferred, FALSE) != FALSE;
}

std::size_t instance_stream::read_some(void* buffer, std::size_t size) {
    if (!event_ || cancelled()) return 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event_.get();
    DWORD got = 0;
    const BOOL started = ReadFile(pipe_, buffer, DWORD(std::min(size, max_chunk)), nullptr, &overlapped);
    return complete(started, overlapped, got) ? got : 0;
}

bool instance_stream::write(const void* data, std::size_t size) {
    auto* in = static_cast<const uint8_t*>(data);
    while (size > 0) {
        if (!event_ || cancelled()) return false;
        OVERLAPPED overlapped{};
        overlapped.hEvent = event_.get();
        DWORD written = 0;
        const BOOL started = WriteFile(pipe_, in, DWORD(std::min(size, max_chunk)), nullptr, &overlapped);
        if (!complete(started, overlapped, written) || written == 0) return false;
        in += written;
        size -= written;
    }
    return true;
}

}  // namespace Orvane::server
