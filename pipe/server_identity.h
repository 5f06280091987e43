#pragma once
// Checks that the process serving a connected pipe is the expected server
// executable, so that nothing is ever sent to a process that squats on the
// pipe name.

#include <windows.h>

#include <string>

namespace Orvane::pipe {

// Full image path of the process at the server end of a connected pipe;
// empty when it cannot be found.
std::wstring pipe_server_image(HANDLE pipe);

// True when both paths name the same file: compared as normalised full long
// paths ignoring case, or else by file identity (Wine may report Z:\ paths
// for files that the caller knows under another drive).
bool same_file(const std::wstring& first, const std::wstring& second);

bool served_by(HANDLE pipe, const std::wstring& server_path);

}  // namespace Orvane::pipe
