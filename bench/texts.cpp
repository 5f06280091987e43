#include "bench/texts.h"

namespace Orvane::bench {
namespace {

constexpr const char* word_list[] = {"the",   "quiet", "river", "carried", "seven", "paper", "boats",  "past",
                                     "an",    "old",   "mill",  "while",   "young", "birds", "watched", "from",
                                     "above", "and",   "nobody", "spoke",  "until", "dusk",  "fell",   "again"};
constexpr size_t word_count = sizeof(word_list) / sizeof(word_list[0]);
constexpr size_t words_per_sentence = 11;

// Words in a fixed cycle, a sentence break every few words.
std::string words(size_t count, size_t max_characters) {
    std::string text;
    for (size_t i = 0; i < count && text.size() < max_characters; ++i) {
        std::string word = word_list[i % word_count];
        const bool starts_sentence = i % words_per_sentence == 0;
        if (starts_sentence) word[0] = static_cast<char>(word[0] - 'a' + 'A');
        if (i > 0) text += (starts_sentence ? ". " : " ");
        text += word;
    }
    return text;
}

}  // namespace

std::string one_sentence() { return "The quick brown fox jumps over the lazy dog near the river bank."; }

std::string text_of_characters(size_t characters) {
    // Every word adds at least two characters, so this many always suffice.
    std::string text = words(characters / 2 + 1, characters + 1);
    text.resize(characters, '.');
    if (characters > 0) text.back() = '.';
    return text;
}

std::string text_of_words(size_t count) { return count == 0 ? std::string() : words(count, std::string::npos) + "."; }

std::wstring widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace Orvane::bench
