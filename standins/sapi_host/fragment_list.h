#pragma once
// What SAPI's runtime makes of a text before an engine sees it: a list of
// fragments, each with an action, its text, its offset in the caller's text
// and the rate, volume and pitch state in force. Portable: no Windows API.

#include <stdexcept>
#include <string>
#include <vector>

namespace Orvane::sapi_host {

enum class fragment_action { speak, silence, bookmark, spell_out };

struct fragment_state {
    long rate_adj = 0;       // -10..10, relative to the site's rate
    unsigned long volume = 100;
    long middle_adj = 0;     // pitch, -10..10 in SAPI's XML
};

struct fragment {
    fragment_action action = fragment_action::speak;
    std::wstring text;             // the text, or the bookmark's mark
    unsigned long source_offset = 0;  // in UTF-16 units of the caller's text
    fragment_state state;
    unsigned long silence_ms = 0;
};

struct xml_error : std::runtime_error {
    xml_error(const std::string& what, size_t offset)
        : std::runtime_error(what + " at offset " + std::to_string(offset)), offset(offset) {}
    size_t offset;
};

// Plain text: one spoken fragment (none for an empty text).
std::vector<fragment> plain_fragments(const std::wstring& text);

// The subset of SAPI's XML that our host understands: <bookmark mark=""/>,
// <rate speed|absspeed>, <volume level>, <pitch middle|absmiddle>,
// <silence msec/>, <spell>, and the five predefined entities.
// Throws xml_error on anything it cannot read.
std::vector<fragment> xml_fragments(const std::wstring& text);

}  // namespace Orvane::sapi_host
