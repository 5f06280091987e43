#pragma once
// The byte stream of one connection, over an overlapped pipe instance:
// every read and write also ends, as failed, when `cancel` is signalled,
// so that a shutdown reaches connections blocked on a silent client.

#include <windows.h>

#include "pipe/message_io.h"
#include "utils/handle.h"

namespace Orvane::server {

class instance_stream final : public pipe::byte_stream {
public:
    instance_stream(HANDLE pipe, HANDLE cancel);
    std::size_t read_some(void* buffer, std::size_t size) override;
    bool write(const void* data, std::size_t size) override;

private:
    bool cancelled() const { return WaitForSingleObject(cancel_, 0) == WAIT_OBJECT_0; }

    HANDLE pipe_;
    HANDLE cancel_;
    utils::unique_handle event_;
};

}  // namespace Orvane::server
