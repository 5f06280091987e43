// Voice lists: only whole entries present are kept, names are terminated.
#include <cstdlib>
#include <cstring>

#include "pipe/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Orvane::pipe;
    voice_list_payload list;
    if (!decode_voice_list(data, size, list)) {
        if (size >= 4 || !list.entries.empty()) std::abort();
        return 0;
    }
    if (4 + list.entries.size() * voice_entry_size > size) std::abort();
    for (const voice_entry& entry : list.entries) {
        if (std::strlen(entry.name) >= voice_name_size) std::abort();
        if (entry_name(entry).size() != std::strlen(entry.name)) std::abort();
    }
    return 0;
}
