#include "pipe/protocol.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "utils/ascii_compare.h"

namespace Orvane::pipe {
namespace {

void put_u32(uint8_t* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = uint8_t(value >> (8 * i));
}

uint32_t get_u32(const uint8_t* in) {
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}

int32_t get_i32(const uint8_t* in) {
    const uint32_t bits = get_u32(in);
    int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float get_f32(const uint8_t* in) {
    const uint32_t bits = get_u32(in);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void put_i32(uint8_t* out, int32_t value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    put_u32(out, bits);
}

void put_f32(uint8_t* out, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    put_u32(out, bits);
}

}  // namespace

header_bytes encode_header(const message_header& header) {
    header_bytes bytes{};
    put_u32(bytes.data(), header.kind);
    put_u32(bytes.data() + 4, header.length);
    return bytes;
}

header_bytes encode_header(request_kind kind, uint32_t length) {
    return encode_header(message_header{uint32_t(kind), length});
}

header_bytes encode_header(reply_kind kind, uint32_t length) {
    return encode_header(message_header{uint32_t(kind), length});
}

bool decode_header(const uint8_t* data, std::size_t size, message_header& header) {
    if (size < header_size) return false;
    header.kind = get_u32(data);
    header.length = get_u32(data + 4);
    return true;
}

std::vector<uint8_t> encode_speak_request(const speak_request& request) {
    if (request.text.size() > max_text_length) throw std::length_error("speak text too long");
    std::vector<uint8_t> payload(speak_fixed_size + request.text.size());
    uint8_t* out = payload.data();
    put_i32(out, request.voice_index);
    put_i32(out + 4, request.rate);
    put_f32(out + 8, request.speed);
    put_i32(out + 12, request.volume);
    put_i32(out + 16, request.pitch);
    put_u32(out + 20, uint32_t(request.text.size()));
    std::copy(request.text.begin(), request.text.end(), out + speak_fixed_size);
    return payload;
}

bool decode_speak_request(const uint8_t* data, std::size_t size, speak_request& request) {
    if (size < speak_fixed_size) return false;
    const uint32_t text_length = get_u32(data + 20);
    // Compared as a remainder so that 24 + text_length cannot wrap.
    if (text_length > size - speak_fixed_size) return false;
    request.voice_index = get_i32(data);
    request.rate = get_i32(data + 4);
    request.speed = get_f32(data + 8);
    request.volume = get_i32(data + 12);
    request.pitch = get_i32(data + 16);
    const char* text = reinterpret_cast<const char*>(data + speak_fixed_size);
    request.text.assign(text, text_length);
    return true;
}

voice_entry make_voice_entry(std::string_view name, bool female) {
    voice_entry entry{};
    const std::size_t kept = std::min(name.size(), voice_name_size - 1);
    std::memcpy(entry.name, name.data(), kept);
    entry.female = female ? 1 : 0;
    return entry;
}

std::string entry_name(const voice_entry& entry) {
    const char* end = std::find(entry.name, entry.name + voice_name_size, '\0');
    return std::string(entry.name, end);
}

int find_listed_voice(const std::vector<voice_entry>& voices, std::string_view name) {
    for (std::size_t i = 0; i < voices.size(); ++i)
        if (utils::ascii_icompare(std::string_view(entry_name(voices[i])), name) == 0) return int(i);
    return -1;
}

std::vector<uint8_t> encode_voice_list(const voice_list_payload& list) {
    const std::size_t count = list.entries.size();
    if (count > (max_payload_length - 4) / voice_entry_size) throw std::length_error("voice list too long");
    std::vector<uint8_t> payload(4 + voice_entry_size * count);
    put_u32(payload.data(), uint32_t(count));
    uint8_t* out = payload.data() + 4;
    for (const voice_entry& entry : list.entries) {
        std::memcpy(out, entry.name, voice_name_size);
        out[voice_name_size] = entry.female;
        out += voice_entry_size;
    }
    return payload;
}

bool decode_voice_list(const uint8_t* data, std::size_t size, voice_list_payload& list) {
    list.entries.clear();
    if (size < 4) return false;
    const std::size_t announced = get_u32(data);
    const std::size_t present = (size - 4) / voice_entry_size;
    const std::size_t count = std::min(announced, present);
    list.entries.resize(count);
    const uint8_t* in = data + 4;
    for (voice_entry& entry : list.entries) {
        std::memcpy(entry.name, in, voice_name_size);
        // A peer may fill all 32 bytes; callers rely on a terminated name.
        entry.name[voice_name_size - 1] = '\0';
        entry.female = in[voice_name_size];
        in += voice_entry_size;
    }
    return true;
}

std::array<uint8_t, 4> encode_u32(uint32_t value) {
    std::array<uint8_t, 4> bytes{};
    put_u32(bytes.data(), value);
    return bytes;
}

bool decode_audio_chunk(const uint8_t* data, std::size_t size, audio_chunk& chunk) {
    chunk = audio_chunk{};
    if (size < audio_prefix_size) return false;
    const std::size_t announced = get_u32(data);
    const std::size_t present = size - audio_prefix_size;
    chunk.samples = data + audio_prefix_size;
    chunk.byte_count = uint32_t(std::min(announced, present));
    return true;
}

}  // namespace Orvane::pipe
