#pragma once
// What the library sets up for synthesis when it loads, per build: the
// 64-bit build's process-wide pipe client, the 32-bit build's module
// instance for the engine driver.

#include <windows.h>

#ifdef _WIN64
namespace Orvane::pipe {
class pipe_client;
}
#endif

namespace Orvane::com {

void attach_backend(HMODULE module);
void detach_backend();

#ifdef _WIN64
// The process-wide client; null before load and after unload.
pipe::pipe_client* process_pipe_client();
#endif

}  // namespace Orvane::com
