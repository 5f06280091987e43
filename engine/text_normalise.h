#pragma once
// Turns caller text (UTF-8) into the plain printable ASCII the legacy engine
// understands: typographic punctuation becomes its ASCII look-alike, line
// breaks become spaces, everything else outside 0x20..0x7E goes, and runs of
// spaces shrink to one.

#include <string>
#include <string_view>

namespace Orvane::engine {

// Replaces every occurrence of `from` by `to`, scanning left to right and
// continuing behind each inserted text.
void replace_all(std::string& text, std::string_view from, std::string_view to);

// Ellipsis, dashes and curly quotes to their ASCII forms.
void replace_typographic(std::string& text);

// CR and LF to spaces, then drops every byte outside 0x20..0x7E.
void keep_printable_ascii(std::string& text);

// Every run of spaces becomes one space; leading/trailing spaces stay.
void collapse_spaces(std::string& text);

// All passes above, in that order.
std::string normalise_text(std::string_view text);

}  // namespace Orvane::engine
