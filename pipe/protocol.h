#pragma once
// The messages exchanged over \\.\pipe\OrvaneTTS. Plain portable code: the
// server, the pipe client and the fuzzers share these encoders and decoders.
// All integers are little-endian; records are packed with no padding.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/synthesis.h"

namespace Orvane::pipe {

constexpr std::size_t header_size = 8;
constexpr std::size_t speak_fixed_size = 24;
constexpr std::size_t voice_name_size = 32;
constexpr std::size_t voice_entry_size = 33;
constexpr std::size_t audio_prefix_size = 4;

// Largest payload either end accepts. Real requests and audio blocks are a
// few kilobytes; a header announcing more is treated as a broken connection
// so that a bad peer can never make us allocate gigabytes.
constexpr uint32_t max_payload_length = 64u * 1024u * 1024u;

enum class request_kind : uint32_t { probe = 0, list_voices = 1, speak = 2, stop = 3, shutdown = 4 };
enum class reply_kind : uint32_t { ack = 0, error = 1, audio = 2, done = 3, voice_list = 4, probe_reply = 5 };

struct message_header {
    uint32_t kind = 0;
    uint32_t length = 0;
};

using header_bytes = std::array<uint8_t, header_size>;

header_bytes encode_header(const message_header& header);
header_bytes encode_header(request_kind kind, uint32_t length = 0);
header_bytes encode_header(reply_kind kind, uint32_t length = 0);
// Needs at least header_size bytes; false otherwise.
bool decode_header(const uint8_t* data, std::size_t size, message_header& header);

// The payload of a speak request carries one synthesis request.
using speak_request = engine::synthesis_request;

// The longest text a speak payload may carry under max_payload_length.
constexpr std::size_t max_text_length = max_payload_length - speak_fixed_size;

// Throws std::length_error when the text is longer than max_text_length.
std::vector<uint8_t> encode_speak_request(const speak_request& request);
// False when the payload is shorter than 24 bytes or than 24 + text_length.
// Bytes after the text are ignored.
bool decode_speak_request(const uint8_t* data, std::size_t size, speak_request& request);

struct voice_entry {
    char name[voice_name_size];  // always NUL-terminated
    uint8_t female;
};
static_assert(sizeof(voice_entry) == voice_entry_size, "voice_entry is a packed 33-byte record");

// Keeps at most 31 bytes of the name; the rest of the field is zero.
voice_entry make_voice_entry(std::string_view name, bool female);
std::string entry_name(const voice_entry& entry);
// Index of the first entry named `name`, ASCII case ignored; -1 when none.
int find_listed_voice(const std::vector<voice_entry>& voices, std::string_view name);

struct voice_list_payload {
    std::vector<voice_entry> entries;
};

std::vector<uint8_t> encode_voice_list(const voice_list_payload& list);
// False when the payload cannot hold the count. A count that promises more
// entries than the payload holds keeps only the whole entries present.
bool decode_voice_list(const uint8_t* data, std::size_t size, voice_list_payload& list);

// A view into an audio payload; valid while the payload lives.
struct audio_chunk {
    const uint8_t* samples = nullptr;
    uint32_t byte_count = 0;
};

std::array<uint8_t, 4> encode_u32(uint32_t value);
// False when the payload cannot hold byte_count. A byte_count beyond the
// payload is clipped to the bytes actually present.
bool decode_audio_chunk(const uint8_t* data, std::size_t size, audio_chunk& chunk);

}  // namespace Orvane::pipe
