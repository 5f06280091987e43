// The x86 decoder and the trampoline builder over arbitrary bytes: what a
// hooked function starts with is the least trusted input the project reads.
// Input: the function's address (4 bytes, little-endian), the trampoline's
// address (4 bytes), then the function's first bytes.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz/hook_checks.h"

namespace Orvane::fuzz {

void broken(const char* invariant) {
    std::fprintf(stderr, "broken invariant: %s\n", invariant);
    std::abort();
}

}  // namespace Orvane::fuzz

namespace {

std::uint32_t word_at(const uint8_t* data, size_t size, size_t at) {
    std::uint32_t v = 0;
    for (size_t i = 0; i < 4 && at + i < size; ++i) v |= std::uint32_t(data[at + i]) << (8 * i);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::uint32_t source = word_at(data, size, 0), destination = word_at(data, size, 4);
    const size_t skip = size < 8 ? size : 8;
    // Exactly sized, so that AddressSanitizer sees any read past the code.
    const std::vector<uint8_t> code(data + skip, data + size);
    for (size_t at = 0; at <= code.size(); ++at)
        Orvane::fuzz::check_decode(code.data() + at, code.size() - at, source + std::uint32_t(at));
    Orvane::fuzz::check_trampoline(code.data(), code.size(), source, destination);
    return 0;
}
