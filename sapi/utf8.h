#pragma once
// UTF-16 to UTF-8 as SAPI's text arrives and the back-ends want it.

#include <string>

namespace Orvane::sapi {

// Null or empty gives the empty string.
std::string to_utf8(const wchar_t* text);
std::string to_utf8(const wchar_t* text, unsigned long length);

}  // namespace Orvane::sapi
