// orvane-say: a command-line SAPI host. It does what the SAPI runtime does
// for an application: finds the voices through the registered token
// enumerators, creates the engine a token names, and drives its Speak with
// a fragment list and an output site of its own; the audio goes to a WAV file.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "cli/orvane-say/event_json.h"
#include "cli/orvane-say/options.h"
#include "engine/pcm_format.h"
#include "standins/sapi_host/engine_site.h"
#include "standins/sapi_host/fragment_chain.h"
#include "standins/sapi_host/fragment_list.h"
#include "standins/sapi_host/voice_list.h"
#include "support/wav.h"
#include "utils/ascii_compare.h"
#include "utils/com_apartment.h"
#include "utils/utf.h"

using namespace Orvane;

namespace {

constexpr int exit_failure = 1;
constexpr int exit_usage = 2;

struct failure : std::runtime_error {
    failure(const std::string& what, int code) : std::runtime_error(what), code(code) {}
    int code;
};

std::vector<std::wstring> command_line() {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args;
    for (int i = 1; argv && i < count; ++i) args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

std::wstring from_utf8(const std::string& bytes, const std::string& what) {
    std::string_view text = bytes;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::wstring wide;
    if (!utils::utf8_to_wide_checked(text, wide)) throw failure(what + " is not valid UTF-8", exit_failure);
    return wide;
}

std::wstring read_text_file(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) throw failure("cannot read " + utils::wide_to_utf8(path), exit_failure);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return from_utf8(bytes, utils::wide_to_utf8(path));
}

const sapi_host::voice& choose_voice(const std::vector<sapi_host::voice>& voices, const say::options& o) {
    for (const auto& v : voices) {
        if (!o.voice.empty() && utils::ascii_icompare(v.name, o.voice) == 0) return v;
        if (!o.gender.empty() && utils::ascii_icompare(v.gender, o.gender) == 0) return v;
    }
    if (!o.voice.empty()) throw failure("no voice named " + utils::wide_to_utf8(o.voice) + " (see --list)", exit_usage);
    if (!o.gender.empty()) throw failure("no " + utils::wide_to_utf8(o.gender) + " voice", exit_usage);
    return voices.front();
}

std::vector<sapi_host::fragment> make_fragments(const say::options& o) {
    const std::wstring text = o.file ? read_text_file(*o.file) : *o.text;
    std::vector<sapi_host::fragment> fragments;
    if (o.xml) {
        try {
            fragments = sapi_host::xml_fragments(text);
        } catch (const sapi_host::xml_error& e) {
            throw failure(std::string("invalid XML: ") + e.what(), exit_usage);
        }
    } else {
        fragments = sapi_host::plain_fragments(text);
    }
    for (auto& f : fragments) f.state.middle_adj += o.pitch;
    return fragments;
}

void check_format(ISpTTSEngine* engine) {
    GUID format_id{};
    WAVEFORMATEX* format = nullptr;
    const HRESULT hr = engine->GetOutputFormat(&SPDFID_WaveFormatEx, nullptr, &format_id, &format);
    if (FAILED(hr)) throw sapi_host::com_failure("GetOutputFormat", hr);
    const WAVEFORMATEX expected = engine::pcm_wave_format();
    const bool pcm = format && format->wFormatTag == expected.wFormatTag && format->nChannels == expected.nChannels &&
                     format->nSamplesPerSec == expected.nSamplesPerSec &&
                     format->wBitsPerSample == expected.wBitsPerSample;
    CoTaskMemFree(format);
    if (!pcm) throw failure("the engine announced an unexpected audio format", exit_failure);
}

int list_voices(const std::vector<sapi_host::voice>& voices) {
    for (size_t i = 0; i < voices.size(); ++i)
        std::printf("%2zu  %-10s  %-6s  %s\n", i, utils::wide_to_utf8(voices[i].name).c_str(),
                    utils::wide_to_utf8(voices[i].gender).c_str(), utils::wide_to_utf8(voices[i].id).c_str());
    return 0;
}

int speak(const std::vector<sapi_host::voice>& voices, const say::options& o) {
    const sapi_host::voice& voice = choose_voice(voices, o);
    const std::vector<sapi_host::fragment> fragments = make_fragments(o);
    com::com_ptr<ISpTTSEngine> engine = sapi_host::create_engine(voice.token.get());
    check_format(engine.get());

    // Written as it comes: a long text never holds its recording in memory.
    std::unique_ptr<support::wav_file_writer> wav;
    try {
        wav = std::make_unique<support::wav_file_writer>(std::filesystem::path(o.out));
    } catch (const std::exception& e) {
        throw failure(e.what(), exit_failure);
    }
    sapi_host::engine_site site;
    bool unwritten = false;  // the engine stops at a refused Write; the run must not pass for whole
    site.audio_sink = [&wav, &unwritten](const uint8_t* data, ULONG bytes) {
        if (wav->append(data, bytes)) return true;
        unwritten = true;
        return false;
    };
    site.rate = o.rate;
    site.volume = static_cast<USHORT>(o.volume);
    if (o.events)
        site.on_event = [](const sapi_host::recorded_event& e) { std::printf("%s\n", say::event_json(e).c_str()); };
    size_t text_length = 0;
    for (const auto& f : fragments) text_length += f.text.size();
    uint64_t next_report = 0;
    if (text_length > 2000)  // long input: show that it is moving
        site.on_audio = [&next_report](uint64_t bytes) {
            if (bytes < next_report) return;
            std::fprintf(stderr, "\rorvane-say: %.1f s of audio", double(bytes) / 22050.0);
            next_report = bytes + 22050 * 5;
        };

    sapi_host::fragment_chain chain(fragments);
    if (chain.head()) {
        WAVEFORMATEX format = engine::pcm_wave_format();
        const HRESULT hr = engine->Speak(SPF_DEFAULT, SPDFID_WaveFormatEx, &format, chain.head(), &site);
        if (FAILED(hr)) throw sapi_host::com_failure("Speak", hr);
    }
    if (next_report) std::fprintf(stderr, "\n");

    if (unwritten) throw failure("cannot write " + utils::wide_to_utf8(o.out) + ": the audio did not fit", exit_failure);
    try {
        wav->finish();
    } catch (const std::exception& e) {
        throw failure(e.what(), exit_failure);
    }
    std::fprintf(stderr, "orvane-say: %s, %.2f s of audio in %s\n", utils::wide_to_utf8(voice.name).c_str(),
                 double(wav->samples()) / engine::pcm_sample_rate, utils::wide_to_utf8(o.out).c_str());
    return 0;
}

}  // namespace

int main() {
    say::options o;
    try {
        o = say::parse_options(command_line());
    } catch (const say::usage_error& e) {
        std::fprintf(stderr, "orvane-say: %s (%s)\n", e.what(), say::usage_line);
        return exit_usage;
    }
    try {
        utils::com_apartment apartment;
        if (FAILED(apartment.result())) throw sapi_host::com_failure("CoInitializeEx", apartment.result());
        const std::vector<sapi_host::voice> voices = sapi_host::registered_voices();
        if (voices.empty()) throw failure("no voices are registered (register OrvaneSAPI.dll with regsvr32)", exit_failure);
        return o.list ? list_voices(voices) : speak(voices, o);
    } catch (const failure& e) {
        std::fprintf(stderr, "orvane-say: %s\n", e.what());
        return e.code;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orvane-say: %s\n", e.what());
        return exit_failure;
    }
}
