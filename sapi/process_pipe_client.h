#pragma once
// The one pipe client of a 64-bit process: made when the library is loaded,
// destroyed when it is unloaded; every engine object shares it.

#include <string>

#include "pipe/pipe_client.h"

namespace Orvane::sapi {

pipe::pipe_client* process_pipe_client();
void create_process_pipe_client();
// With a given server executable, for tools and tests.
void create_process_pipe_client(std::wstring server_path);
void destroy_process_pipe_client();

}  // namespace Orvane::sapi
