#pragma once
// The texts the benchmarks speak: deterministic, plain ASCII, so that every
// build and every run synthesises exactly the same audio.

#include <cstddef>
#include <string>

namespace Orvane::bench {

// One ordinary sentence (a few seconds of audio).
std::string one_sentence();

// Sentences of ordinary words, cut to exactly `characters` characters.
std::string text_of_characters(size_t characters);

// Exactly `words` words separated by single spaces, ending with a full stop.
std::string text_of_words(size_t words);

// Plain ASCII to UTF-16 (the SAPI engine takes wide text).
std::wstring widen(const std::string& ascii);

}  // namespace Orvane::bench
