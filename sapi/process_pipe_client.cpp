#include "sapi/process_pipe_client.h"

#include <memory>

namespace Orvane::sapi {
namespace {
std::unique_ptr<pipe::pipe_client> client;
}

pipe::pipe_client* process_pipe_client() { return client.get(); }
void create_process_pipe_client() { client = std::make_unique<pipe::pipe_client>(); }
void create_process_pipe_client(std::wstring server_path) {
    client = std::make_unique<pipe::pipe_client>(std::move(server_path));
}
void destroy_process_pipe_client() { client.reset(); }

}  // namespace Orvane::sapi
