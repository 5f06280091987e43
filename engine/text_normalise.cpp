#include "engine/text_normalise.h"

#include <algorithm>

namespace Orvane::engine {

void replace_all(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty() || text.find(from) == std::string::npos) return;
    // Built into a second string so that the pass stays linear.
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(from, pos)) != std::string::npos; pos = hit + from.size()) {
        out.append(text, pos, hit - pos);
        out.append(to);
    }
    out.append(text, pos, std::string::npos);
    text.swap(out);
}

void replace_typographic(std::string& text) {
    static constexpr std::string_view table[][2] = {
        {"\xE2\x80\xA6", "..."},  // horizontal ellipsis
        {"\xE2\x80\x93", "-"},    // en dash
        {"\xE2\x80\x94", "-"},    // em dash
        {"\xE2\x80\x98", "'"},    // left single quotation mark
        {"\xE2\x80\x99", "'"},    // right single quotation mark
        {"\xE2\x80\x9C", "\""},   // left double quotation mark
        {"\xE2\x80\x9D", "\""},   // right double quotation mark
    };
    for (const auto& row : table) replace_all(text, row[0], row[1]);
}

void keep_printable_ascii(std::string& text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    text.erase(std::remove_if(text.begin(), text.end(),
                              [](char c) {
                                  const auto byte = static_cast<unsigned char>(c);
                                  return byte < 0x20 || byte > 0x7E;
                              }),
               text.end());
}

void collapse_spaces(std::string& text) {
    text.erase(std::unique(text.begin(), text.end(), [](char a, char b) { return a == ' ' && b == ' '; }),
               text.end());
}

std::string normalise_text(std::string_view text) {
    std::string work(text);
    replace_typographic(work);
    keep_printable_ascii(work);
    collapse_spaces(work);
    return work;
}

}  // namespace Orvane::engine
