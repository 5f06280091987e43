#pragma once
// Finishing an overlapped operation on a pipe instance, unless a cancel
// event comes first: how the server waits on clients without being stuck
// with them at a shutdown.

#include <windows.h>

namespace Orvane::server {

// `started` is what the call that began the operation returned. False when
// it failed, or when `cancel` was signalled first (the operation is then
// cancelled and finished before this returns).
bool finish_overlapped(HANDLE file, OVERLAPPED& overlapped, BOOL started, HANDLE cancel, DWORD& transferred);

}  // namespace Orvane::server
