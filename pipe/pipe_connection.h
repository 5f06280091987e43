#pragma once
// One open connection to the server: the pipe handle and the stream that
// reads it ahead. The read-ahead belongs to the connection, not to one
// operation, so no byte read early is ever lost between two operations.

#include <windows.h>

#include "pipe/buffered_stream.h"
#include "pipe/handle_stream.h"
#include "utils/handle.h"

namespace Orvane::pipe {

class pipe_connection {
public:
    explicit pipe_connection(utils::unique_handle pipe) : pipe_(std::move(pipe)), raw_(pipe_.get()), stream_(raw_) {}
    pipe_connection(const pipe_connection&) = delete;
    pipe_connection& operator=(const pipe_connection&) = delete;

    byte_stream& stream() { return stream_; }

private:
    utils::unique_handle pipe_;
    handle_stream raw_;
    buffered_stream stream_;
};

}  // namespace Orvane::pipe
