// Speaks a text through the speech server into a WAV file, lists the
// server's voices or stops the server: the 64-bit library's road to the
// legacy engine, without SAPI.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <vector>

#include "cli/orvane-pipe-say/options.h"
#include "pipe/pipe_client.h"
#include "support/wav.h"

using namespace Orvane;

namespace {

int fail(const char* message) {
    std::fprintf(stderr, "orvane-pipe-say: %s\n", message);
    return 1;
}

int list(pipe::pipe_client& client) {
    std::vector<pipe::voice_entry> voices;
    if (!client.list_voices(voices)) return fail("no voice list from the speech server");
    for (std::size_t i = 0; i < voices.size(); ++i)
        std::printf("%2zu  %-31s  %s\n", i, pipe::entry_name(voices[i]).c_str(), voices[i].female ? "female" : "male");
    return 0;
}

// A number is an index; anything else is looked up in the server's list.
bool voice_index(pipe::pipe_client& client, const std::string& voice, int32_t& index) {
    char* end = nullptr;
    const long number = std::strtol(voice.c_str(), &end, 10);
    if (!voice.empty() && *end == '\0') {
        index = int32_t(number);
        return true;
    }
    std::vector<pipe::voice_entry> voices;
    if (!client.list_voices(voices)) return false;
    index = pipe::find_listed_voice(voices, voice);
    return index >= 0;
}

bool collect(const void* data, uint32_t byte_count, void* context) {
    auto& bytes = *static_cast<std::vector<uint8_t>*>(context);
    auto* in = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), in, in + byte_count);
    return true;
}

int speak(pipe::pipe_client& client, const cli::options& options) {
    engine::synthesis_request request = options.request;
    if (!voice_index(client, options.voice, request.voice_index))
        return fail("unknown voice, or no voice list from the server");
    std::vector<uint8_t> bytes;
    if (!client.speak(request, collect, &bytes))
        return fail("the speech server did not finish the speech");
    std::vector<int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    support::write_wav(options.out, samples);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = cli::parse_options(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "orvane-pipe-say: %s\n%s", error.c_str(), cli::usage);
        return 2;
    }
    try {
        pipe::pipe_client client;
        switch (options->what) {
        case cli::action::list: return list(client);
        case cli::action::shutdown: client.shutdown_server(); return 0;
        case cli::action::speak: return speak(client, *options);
        }
    } catch (const std::exception& failure) {
        return fail(failure.what());
    }
    return 1;
}
