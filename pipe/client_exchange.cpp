#include "pipe/client_exchange.h"

namespace Orvane::pipe {
namespace {

constexpr exchange_outcome broken{false, false, false};

bool is_reply(const message_header& header, reply_kind kind) { return header.kind == uint32_t(kind); }

// The late ack that answers a stop comes right after `done`.
bool absorb_stop_ack(byte_stream& stream) {
    message_header header;
    std::vector<uint8_t> payload;
    for (;;) {
        if (read_message(stream, header, payload) != read_result::ok) return false;
        if (is_reply(header, reply_kind::ack)) return true;
    }
}

class speech_reader {
public:
    speech_reader(byte_stream& stream, engine::audio_callback consumer, void* context)
        : stream_(stream), consumer_(consumer), context_(context) {}

    exchange_outcome run() {
        message_header header;
        std::vector<uint8_t> payload;
        for (bool answered = false;; answered = true) {
            if (read_message(stream_, header, payload) != read_result::ok) return {false, false, answered};
            if (is_reply(header, reply_kind::done)) return finish();
            if (is_reply(header, reply_kind::error)) return {false, true, true};
            if (is_reply(header, reply_kind::audio)) deliver(payload);
        }
    }

private:
    void deliver(const std::vector<uint8_t>& payload) {
        audio_chunk chunk;
        if (refused_ || consumer_ == nullptr || !decode_audio_chunk(payload.data(), payload.size(), chunk)) return;
        if (consumer_(chunk.samples, chunk.byte_count, context_)) return;
        refused_ = true;
        stop_sent_ = write_header(stream_, encode_header(request_kind::stop));
    }

    exchange_outcome finish() {
        if (!refused_) return {true, true, true};
        // Without a stop on the wire no ack will come; the stream is suspect.
        if (!stop_sent_) return {true, false, true};
        return {true, absorb_stop_ack(stream_), true};
    }

    byte_stream& stream_;
    engine::audio_callback consumer_;
    void* context_;
    bool refused_ = false;
    bool stop_sent_ = false;
};

}  // namespace

exchange_outcome request_voice_list(byte_stream& stream, std::vector<voice_entry>& voices) {
    voices.clear();
    if (!write_header(stream, encode_header(request_kind::list_voices))) return broken;
    message_header header;
    std::vector<uint8_t> payload;
    if (read_message(stream, header, payload) != read_result::ok) return broken;
    if (!is_reply(header, reply_kind::voice_list)) return {false, true, true};
    voice_list_payload list;
    if (!decode_voice_list(payload.data(), payload.size(), list)) return {false, true, true};
    voices = std::move(list.entries);
    return {true, true, true};
}

exchange_outcome request_speech(byte_stream& stream, const speak_request& request, engine::audio_callback consumer,
                                void* context) {
    if (request.text.size() > max_text_length) return {false, true, false};
    const std::vector<uint8_t> payload = encode_speak_request(request);
    if (!write_message(stream, encode_header(request_kind::speak, uint32_t(payload.size())), payload)) return broken;
    return speech_reader(stream, consumer, context).run();
}

void request_shutdown(byte_stream& stream) {
    if (!write_header(stream, encode_header(request_kind::shutdown))) return;
    message_header header;
    std::vector<uint8_t> payload;
    read_message(stream, header, payload);
}

}  // namespace Orvane::pipe
