#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "pipe/protocol.h"

using namespace Orvane::pipe;

namespace {

std::vector<uint8_t> speak_payload(uint32_t text_length, std::size_t total_size) {
    std::vector<uint8_t> payload(total_size, 'x');
    if (total_size >= 24) {
        const auto length = encode_u32(text_length);
        std::memcpy(payload.data() + 20, length.data(), 4);
    }
    return payload;
}

std::vector<uint8_t> voice_list_bytes(uint32_t count, std::size_t entries_present, std::size_t extra = 0) {
    std::vector<uint8_t> payload(4 + 33 * entries_present + extra, 0);
    const auto bytes = encode_u32(count);
    std::memcpy(payload.data(), bytes.data(), 4);
    for (std::size_t i = 0; i < entries_present; ++i) {
        payload[4 + 33 * i] = uint8_t('A' + i);
        payload[4 + 33 * i + 32] = uint8_t(i & 1);
    }
    return payload;
}

}  // namespace

TEST(Protocol, HeaderIsKindThenLengthLittleEndian) {
    const header_bytes bytes = encode_header(message_header{0x04030201u, 0x08070605u});
    EXPECT_EQ(bytes, (header_bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    message_header header;
    ASSERT_TRUE(decode_header(bytes.data(), bytes.size(), header));
    EXPECT_EQ(header.kind, 0x04030201u);
    EXPECT_EQ(header.length, 0x08070605u);
    EXPECT_FALSE(decode_header(bytes.data(), 7, header));
    EXPECT_EQ(encode_header(reply_kind::probe_reply), (header_bytes{5, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(encode_header(request_kind::speak, 24), (header_bytes{2, 0, 0, 0, 24, 0, 0, 0}));
}

TEST(Protocol, SpeakRequestHasTheFixedLayout) {
    speak_request request{"Hi", -2, 300, 1.5f, -7, 175};
    const std::vector<uint8_t> payload = encode_speak_request(request);
    const std::vector<uint8_t> expected = {
        0xfe, 0xff, 0xff, 0xff,  // voice_index -2
        0x2c, 0x01, 0x00, 0x00,  // rate 300
        0x00, 0x00, 0xc0, 0x3f,  // speed 1.5f
        0xf9, 0xff, 0xff, 0xff,  // volume -7
        0xaf, 0x00, 0x00, 0x00,  // pitch 175
        0x02, 0x00, 0x00, 0x00,  // text_length
        'H',  'i'};
    EXPECT_EQ(payload, expected);
}

TEST(Protocol, SpeakRequestRoundTrips) {
    const speak_request cases[] = {
        {"", 0, 0, 1.0f, 0, -1},
        {"Hello world.", 13, -100, 0.25f, 100, 600},
        {"\xc3\xa9t\xc3\xa9 \xe2\x82\xac", -1, 2147483647, 3.0f, -2147483647 - 1, 45},
        {std::string("a\0b\xff", 4), 5, 1, 1.0f, 2, 3},
    };
    for (const speak_request& original : cases) {
        const std::vector<uint8_t> payload = encode_speak_request(original);
        ASSERT_EQ(payload.size(), 24 + original.text.size());
        speak_request decoded;
        ASSERT_TRUE(decode_speak_request(payload.data(), payload.size(), decoded)) << original.text;
        EXPECT_EQ(decoded.voice_index, original.voice_index);
        EXPECT_EQ(decoded.rate, original.rate);
        EXPECT_EQ(decoded.speed, original.speed);
        EXPECT_EQ(decoded.volume, original.volume);
        EXPECT_EQ(decoded.pitch, original.pitch);
        EXPECT_EQ(decoded.text, original.text);
    }
}

TEST(Protocol, SpeedKeepsEveryBitThroughTheWire) {
    speak_request request;
    request.speed = std::nanf("");
    const std::vector<uint8_t> payload = encode_speak_request(request);
    speak_request decoded;
    ASSERT_TRUE(decode_speak_request(payload.data(), payload.size(), decoded));
    EXPECT_TRUE(std::isnan(decoded.speed));
}

TEST(Protocol, SpeakPayloadBoundsAreCheckedWithoutOverflow) {
    struct row {
        const char* what;
        uint32_t text_length;
        std::size_t size;
        bool accepted;
        std::size_t text_size;
    };
    const row rows[] = {
        {"empty payload", 0, 0, false, 0},
        {"one byte short of the fixed part", 0, 23, false, 0},
        {"fixed part, empty text", 0, 24, true, 0},
        {"text exactly present", 5, 29, true, 5},
        {"one text byte missing", 6, 29, false, 0},
        {"trailing bytes after the text are ignored", 2, 40, true, 2},
        {"length near 2^32", 0xFFFFFFFFu, 64, false, 0},
        {"24 + length wraps to 0", 0xFFFFFFE8u, 24, false, 0},
        {"24 + length wraps to 1", 0xFFFFFFE9u, 25, false, 0},
        {"2^31", 0x80000000u, 100, false, 0},
    };
    for (const row& r : rows) {
        const std::vector<uint8_t> payload = speak_payload(r.text_length, r.size);
        speak_request decoded;
        EXPECT_EQ(decode_speak_request(payload.data(), payload.size(), decoded), r.accepted) << r.what;
        if (r.accepted) EXPECT_EQ(decoded.text.size(), r.text_size) << r.what;
    }
}

TEST(Protocol, SpeakTextBeyondTheCapIsRefusedByTheEncoder) {
    speak_request request;
    request.text.assign(max_text_length + 1, 'a');
    EXPECT_THROW(encode_speak_request(request), std::length_error);
}

TEST(Protocol, VoiceNamesAreCutToThirtyOneBytesAndTerminated) {
    struct row {
        std::string name;
        std::string kept;
    };
    const std::string thirty_one(31, 'n');
    const row rows[] = {
        {"", ""},
        {"Greta", "Greta"},
        {thirty_one, thirty_one},
        {thirty_one + "X", thirty_one},
        {std::string(40, 'z'), std::string(31, 'z')},
    };
    for (const row& r : rows) {
        const voice_entry entry = make_voice_entry(r.name, true);
        EXPECT_EQ(entry_name(entry), r.kept);
        EXPECT_EQ(entry.name[31], '\0') << r.name;
        for (std::size_t i = r.kept.size(); i < 32; ++i) EXPECT_EQ(entry.name[i], '\0') << "padding of " << r.name;
        EXPECT_EQ(entry.female, 1);
    }
}

TEST(Protocol, VoiceListRoundTripsWithTheDocumentedLength) {
    voice_list_payload list;
    for (int i = 0; i < 14; ++i) list.entries.push_back(make_voice_entry("Voice" + std::to_string(i), i % 3 == 0));
    const std::vector<uint8_t> payload = encode_voice_list(list);
    EXPECT_EQ(payload.size(), 466u);
    EXPECT_EQ(payload[0], 14);
    EXPECT_EQ(payload[4 + 33 * 3 + 32], 1) << "female byte of entry 3";
    voice_list_payload decoded;
    ASSERT_TRUE(decode_voice_list(payload.data(), payload.size(), decoded));
    ASSERT_EQ(decoded.entries.size(), 14u);
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(entry_name(decoded.entries[i]), "Voice" + std::to_string(i));
        EXPECT_EQ(decoded.entries[i].female, i % 3 == 0 ? 1 : 0);
    }
}

TEST(Protocol, ListedVoicesAreFoundByNameIgnoringAsciiCase) {
    const std::vector<voice_entry> voices{make_voice_entry("Tobin", false), make_voice_entry("Lyra", true),
                                          make_voice_entry("Lyra", true)};
    EXPECT_EQ(find_listed_voice(voices, "lYRA"), 1) << "the first of two";
    EXPECT_EQ(find_listed_voice(voices, "TOBIN"), 0);
    EXPECT_EQ(find_listed_voice(voices, "Lyr"), -1);
    EXPECT_EQ(find_listed_voice(voices, ""), -1);
    EXPECT_EQ(find_listed_voice({}, "Tobin"), -1);
}

TEST(Protocol, VoiceListKeepsOnlyWholeEntriesThePayloadHolds) {
    struct row {
        const char* what;
        uint32_t count;
        std::size_t present;
        std::size_t extra;
        bool accepted;
        std::size_t kept;
    };
    const row rows[] = {
        {"shorter than the count field", 0, 0, 0, false, 0},
        {"empty list", 0, 0, 0, true, 0},
        {"count matches", 3, 3, 0, true, 3},
        {"count larger than payload", 14, 2, 0, true, 2},
        {"half an entry after the whole ones", 14, 2, 16, true, 2},
        {"count near 2^32, no entries", 0xFFFFFFFFu, 0, 0, true, 0},
        {"count near 2^32, one entry", 0xFFFFFFFFu, 1, 32, true, 1},
        {"count smaller than the entries present", 1, 3, 0, true, 1},
    };
    for (const row& r : rows) {
        std::vector<uint8_t> payload = voice_list_bytes(r.count, r.present, r.extra);
        if (!r.accepted) payload.resize(3);
        voice_list_payload decoded;
        decoded.entries.resize(5);
        EXPECT_EQ(decode_voice_list(payload.data(), payload.size(), decoded), r.accepted) << r.what;
        ASSERT_EQ(decoded.entries.size(), r.kept) << r.what;
        for (std::size_t i = 0; i < r.kept; ++i) EXPECT_EQ(decoded.entries[i].name[0], 'A' + int(i)) << r.what;
    }
}

TEST(Protocol, DecodedNamesAreTerminatedEvenWhenThePeerFillsAllBytes) {
    std::vector<uint8_t> payload = voice_list_bytes(1, 1);
    std::memset(payload.data() + 4, 'Q', 32);
    voice_list_payload decoded;
    ASSERT_TRUE(decode_voice_list(payload.data(), payload.size(), decoded));
    EXPECT_EQ(std::strlen(decoded.entries[0].name), 31u);
}

TEST(Protocol, AudioChunkIsClippedToItsPayload) {
    struct row {
        const char* what;
        uint32_t byte_count;
        std::size_t samples_present;
        bool accepted;
        uint32_t delivered;
    };
    const row rows[] = {
        {"exact", 6, 6, true, 6},
        {"no samples", 0, 0, true, 0},
        {"byte_count larger than payload", 100, 6, true, 6},
        {"byte_count near 2^32", 0xFFFFFFFFu, 2, true, 2},
        {"byte_count smaller than payload", 2, 6, true, 2},
    };
    for (const row& r : rows) {
        std::vector<uint8_t> payload(4 + r.samples_present, 0x55);
        const auto count = encode_u32(r.byte_count);
        std::memcpy(payload.data(), count.data(), 4);
        audio_chunk chunk;
        EXPECT_EQ(decode_audio_chunk(payload.data(), payload.size(), chunk), r.accepted) << r.what;
        EXPECT_EQ(chunk.byte_count, r.delivered) << r.what;
        EXPECT_EQ(chunk.samples, payload.data() + 4) << r.what;
    }
    const uint8_t short_payload[3] = {1, 0, 0};
    audio_chunk chunk;
    EXPECT_FALSE(decode_audio_chunk(short_payload, sizeof short_payload, chunk));
    EXPECT_EQ(chunk.byte_count, 0u);
}
