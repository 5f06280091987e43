// The SAPI engine through its COM interfaces, with the real back-end of
// the build (the legacy driver in 32-bit, the speech server in 64-bit) and
// a recording site, the way SAPI drives it.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "com/iunknown_impl.h"
#include "sapi/tts_engine.h"
#include "standins/sapi_host/engine_site.h"
#include "standins/sapi_host/fragment_chain.h"
#include "standins/sapi_host/named_token.h"
#include "support/pitch.h"
#include "utils/com_apartment.h"

#ifdef _WIN64
#include <memory>

#include "sapi/process_pipe_client.h"
#include "tests/pipe/win_support.h"
#endif

using namespace Orvane;
using sapi_host::engine_site;
using sapi_host::fragment;
using sapi_host::fragment_action;
using sapi_host::fragment_chain;

namespace {

fragment speak(const std::wstring& text, unsigned long offset = 0) {
    fragment f;
    f.text = text;
    f.source_offset = offset;
    return f;
}

fragment with_action(fragment_action action, const std::wstring& text, unsigned long offset = 0) {
    fragment f = speak(text, offset);
    f.action = action;
    return f;
}

std::vector<int16_t> samples(const engine_site& site) {
    std::vector<int16_t> out(site.audio.size() / 2);
    if (!out.empty()) memcpy(out.data(), site.audio.data(), out.size() * 2);
    return out;
}

int peak(const engine_site& site) {
    int top = 0;
    for (int16_t s : samples(site)) top = std::max(top, std::abs(int(s)));
    return top;
}

class Engine : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
#ifdef _WIN64
        sapi::create_process_pipe_client(ORVANE_SERVER_EXE);
#endif
    }
    static void TearDownTestSuite() {
#ifdef _WIN64
        if (auto* client = sapi::process_pipe_client()) client->shutdown_server();
        sapi::destroy_process_pipe_client();
#endif
    }

    using engine_ptr = com::com_ptr<com::IUnknownImpl<sapi::ISpTTSEngineImpl>>;

    engine_ptr make_engine(const std::wstring& voice = L"Tobin") {
        auto engine = com::IUnknownImpl<sapi::ISpTTSEngineImpl>::create();
        EXPECT_EQ(engine->SetObjectToken(sapi_host::make_named_token(voice).get()), S_OK);
        return engine;
    }

    HRESULT run(sapi::ISpTTSEngineImpl* engine, const std::vector<fragment>& fragments, engine_site& site) {
        fragment_chain chain(fragments);
        WAVEFORMATEX format{};
        return engine->Speak(0, SPDFID_WaveFormatEx, &format, chain.head(), &site);
    }

    void spoken(engine_site& site, const std::vector<fragment>& fragments, const std::wstring& voice = L"Tobin") {
        auto engine = make_engine(voice);
        EXPECT_EQ(run(engine.get(), fragments, site), S_OK);
    }

    size_t spoken_bytes(const std::vector<fragment>& fragments, const std::wstring& voice = L"Tobin") {
        engine_site site;
        spoken(site, fragments, voice);
        return site.audio.size();
    }

    double spoken_pitch(const std::vector<fragment>& fragments, const std::wstring& voice) {
        engine_site site;
        spoken(site, fragments, voice);
        return support::estimate_pitch(samples(site));
    }

    Orvane::utils::com_apartment apartment;
};

TEST_F(Engine, AnnouncesElevenKilohertzMonoSixteenBitPcm) {
    auto engine = com::IUnknownImpl<sapi::ISpTTSEngineImpl>::create();
    GUID id{};
    WAVEFORMATEX* format = nullptr;
    ASSERT_EQ(engine->GetOutputFormat(nullptr, nullptr, &id, &format), S_OK);
    EXPECT_TRUE(IsEqualGUID(id, SPDFID_WaveFormatEx));
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(format->nChannels, 1);
    EXPECT_EQ(format->nSamplesPerSec, 11025u);
    EXPECT_EQ(format->nAvgBytesPerSec, 22050u);
    EXPECT_EQ(format->nBlockAlign, 2);
    EXPECT_EQ(format->wBitsPerSample, 16);
    EXPECT_EQ(format->cbSize, 0);
    CoTaskMemFree(format);
    EXPECT_EQ(engine->GetOutputFormat(nullptr, nullptr, nullptr, &format), E_POINTER);
    EXPECT_EQ(engine->GetOutputFormat(nullptr, nullptr, &id, nullptr), E_POINTER);
}

TEST_F(Engine, SelectsTheVoiceNamedByTheToken) {
    auto engine = com::IUnknownImpl<sapi::ISpTTSEngineImpl>::create();
    ISpObjectToken* held = reinterpret_cast<ISpObjectToken*>(1);
    EXPECT_EQ(engine->GetObjectToken(&held), E_UNEXPECTED);
    EXPECT_EQ(held, nullptr);
    EXPECT_EQ(engine->GetObjectToken(nullptr), E_POINTER);
    EXPECT_EQ(engine->SetObjectToken(nullptr), E_INVALIDARG);

    struct { const wchar_t* name; int index; } cases[] = {{L"lyra", 1}, {L"QUILL", 13}, {L"Greta", 12}, {L"Zed", 0}};
    for (const auto& c : cases) {
        auto token = sapi_host::make_named_token(c.name);
        EXPECT_EQ(engine->SetObjectToken(token.get()), S_OK);
        EXPECT_EQ(engine->voice(), c.index);
        ASSERT_EQ(engine->GetObjectToken(&held), S_OK);
        EXPECT_EQ(held, token.get());
        held->Release();
    }
    // An unusable token leaves the voice and the token as they were: from
    // a voice other than the first, which is where a reset would land.
    auto nessa = sapi_host::make_named_token(L"Nessa");
    ASSERT_EQ(engine->SetObjectToken(nessa.get()), S_OK);
    for (auto shape : {sapi_host::token_shape::no_attributes, sapi_host::token_shape::no_name}) {
        EXPECT_EQ(engine->SetObjectToken(sapi_host::make_named_token(L"Lyra", shape).get()), E_INVALIDARG);
        EXPECT_EQ(engine->voice(), 3);
        ASSERT_EQ(engine->GetObjectToken(&held), S_OK);
        EXPECT_EQ(held, nessa.get()) << "the token in use is kept";
        held->Release();
    }
}

TEST_F(Engine, RejectsMissingArguments) {
    auto engine = make_engine();
    engine_site site;
    fragment_chain chain({speak(L"hi")});
    EXPECT_EQ(engine->Speak(0, SPDFID_WaveFormatEx, nullptr, nullptr, &site), E_INVALIDARG);
    EXPECT_EQ(engine->Speak(0, SPDFID_WaveFormatEx, nullptr, chain.head(), nullptr), E_INVALIDARG);
    EXPECT_EQ(site.get_actions_calls, 0u);
}

TEST_F(Engine, QueuesSentenceAndWordEventsBeforeTheFragmentsAudio) {
    engine_site site;
    spoken(site, {speak(L"don't stop-now, 42", 100), speak(L"again", 200)});
    ASSERT_FALSE(site.audio.empty());
    const auto& e = site.events;
    ASSERT_EQ(e.size(), 6u);
    struct { SPEVENTENUM id; WPARAM wparam; LPARAM lparam; bool second_fragment; } rows[] = {
        {SPEI_SENTENCE_BOUNDARY, 18, 100, false}, {SPEI_WORD_BOUNDARY, 5, 100, false},
        {SPEI_WORD_BOUNDARY, 8, 106, false},      {SPEI_WORD_BOUNDARY, 2, 116, false},
        {SPEI_SENTENCE_BOUNDARY, 5, 200, true},   {SPEI_WORD_BOUNDARY, 5, 200, true},
    };
    for (size_t i = 0; i < e.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(e[i].id, rows[i].id);
        EXPECT_EQ(e[i].lparam_type, SPET_LPARAM_IS_UNDEFINED);
        EXPECT_EQ(e[i].wparam, rows[i].wparam);
        EXPECT_EQ(e[i].lparam, rows[i].lparam);
    }
    // The second fragment's events carry the audio offset where its audio starts.
    EXPECT_EQ(e[0].audio_offset, 0u);
    EXPECT_GT(e[4].audio_offset, 0u);
    EXPECT_LT(e[4].audio_offset, site.audio.size());
    EXPECT_EQ(e[4].audio_offset, e[5].audio_offset);

    // Without interest there are no sentence or word events; punctuation alone has no words.
    engine_site quiet;
    quiet.event_interest = 0;
    auto engine = make_engine();
    EXPECT_EQ(run(engine.get(), {speak(L"hello there")}, quiet), S_OK);
    EXPECT_TRUE(quiet.events.empty());
    EXPECT_FALSE(quiet.audio.empty());
    engine_site punct;
    spoken(punct, {speak(L" ,.; ")});
    ASSERT_EQ(punct.events.size(), 1u);
    EXPECT_EQ(punct.events[0].id, SPEI_SENTENCE_BOUNDARY);
}

TEST_F(Engine, DeliversEveryBookmarkWithItsValue) {
    engine_site site;
    spoken(site, {with_action(fragment_action::bookmark, L"12abc", 1), speak(L"hi", 2),
                  with_action(fragment_action::bookmark, L" -7", 3), with_action(fragment_action::bookmark, L"abc", 4),
                  with_action(fragment_action::bookmark, L"99999999999", 5),
                  with_action(fragment_action::bookmark, L"", 6)});
    std::vector<const sapi_host::recorded_event*> marks;
    for (const auto& e : site.events)
        if (e.id == SPEI_TTS_BOOKMARK) marks.push_back(&e);
    ASSERT_EQ(marks.size(), 5u) << "a list that ends with bookmarks still delivers them all";
    struct { LONG_PTR value; const wchar_t* text; } rows[] = {{12, L"12abc"}, {-7, L" -7"}, {0, L"abc"}, {0, L"99999999999"}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(marks[i]->lparam_type, SPET_LPARAM_IS_STRING);
        EXPECT_EQ(static_cast<LONG_PTR>(marks[i]->wparam), rows[i].value);
        EXPECT_EQ(marks[i]->text, rows[i].text);
    }
    EXPECT_EQ(marks[0]->audio_offset, 0u);
    EXPECT_EQ(marks[1]->audio_offset, site.audio.size()) << "after the spoken fragment's audio";
    EXPECT_EQ(marks[4]->lparam_type, SPET_LPARAM_IS_UNDEFINED);
    EXPECT_EQ(marks[4]->wparam, 0u);
    EXPECT_EQ(marks[4]->lparam, 0);

    // Bookmarks are delivered whatever the interest says, also in a list of nothing else.
    engine_site only;
    only.event_interest = 0;
    auto engine = make_engine();
    EXPECT_EQ(run(engine.get(), {with_action(fragment_action::bookmark, L"1"), with_action(fragment_action::bookmark, L"2")}, only), S_OK);
    EXPECT_EQ(only.events.size(), 2u);
    EXPECT_TRUE(only.audio.empty());
}

TEST_F(Engine, RateVolumeAndPitchReachTheAudio) {
    const std::vector<fragment> text = {speak(L"aaaa aaaa")};
    const size_t normal = spoken_bytes(text);
    ASSERT_GT(normal, 0u);

    auto with_rate = [&](long fragment_rate, long site_rate) {
        engine_site site;
        site.rate = site_rate;
        std::vector<fragment> f = text;
        f[0].state.rate_adj = fragment_rate;
        auto engine = make_engine();
        EXPECT_EQ(run(engine.get(), f, site), S_OK);
        return double(site.audio.size()) / double(normal);
    };
    EXPECT_NEAR(with_rate(-8, 0), 2.0, 0.05) << "half speed through the legacy rate";
    EXPECT_NEAR(with_rate(4, 0), std::pow(2.0, -0.5), 0.05);
    EXPECT_NEAR(with_rate(0, 8), 0.5, 0.05) << "the site's rate counts too";
    EXPECT_NEAR(with_rate(10, 10), 0.5 * std::pow(2.0, -0.25), 0.05) << "clamped, the rest by time-stretch";

    engine_site loud;
    spoken(loud, text);
    engine_site half;
    half.volume = 50;
    std::vector<fragment> soft = text;
    soft[0].state.volume = 100;
    auto engine = make_engine();
    EXPECT_EQ(run(engine.get(), soft, half), S_OK);
    EXPECT_NEAR(double(peak(half)) / peak(loud), 0.75, 0.03) << "site volume 50 gives volume -25";

    struct { const wchar_t* voice; long middle; double hz; } pitches[] = {
        {L"Tobin", 0, 80}, {L"Tobin", 10, 120}, {L"Tobin", -10, 64}, {L"Nana", 10, 362}, {L"Lyra", 0, 175}};
    for (const auto& p : pitches) {
        std::vector<fragment> f = text;
        f[0].state.middle_adj = p.middle;
        const double measured = spoken_pitch(f, p.voice);
        EXPECT_NEAR(measured, p.hz, p.hz * 0.02) << p.middle;
    }
}

TEST_F(Engine, AbortAndSkipEndTheCall) {
    const std::vector<fragment> two = {speak(L"first part"), speak(L"second part")};
    const size_t full = spoken_bytes(two);

    {  // before any audio
        engine_site site;
        site.pending_actions = SPVES_ABORT;
        auto engine = make_engine();
        EXPECT_EQ(run(engine.get(), two, site), S_OK);
        EXPECT_TRUE(site.audio.empty());
        EXPECT_TRUE(site.events.empty());
    }
    {  // skip before the first fragment
        engine_site site;
        site.pending_actions = SPVES_SKIP;
        auto engine = make_engine();
        EXPECT_EQ(run(engine.get(), two, site), S_OK);
        EXPECT_TRUE(site.audio.empty());
        EXPECT_EQ(site.complete_skip_calls, 1u);
    }
    for (DWORD action : {DWORD(SPVES_ABORT), DWORD(SPVES_SKIP)}) {  // during audio
        engine_site site;
        site.before_actions = [action](engine_site& s) {
            if (s.audio.size() >= 2000) s.pending_actions |= action;
        };
        auto engine = make_engine();
        EXPECT_EQ(run(engine.get(), two, site), S_OK);
        EXPECT_GE(site.audio.size(), 2000u);
        EXPECT_LT(site.audio.size(), full / 2) << "the rest of the list is dropped";
        EXPECT_EQ(site.complete_skip_calls, action == SPVES_SKIP ? 1u : 0u);
    }
}

TEST_F(Engine, WriteFailuresAndPartialWrites) {
    const std::vector<fragment> two = {speak(L"first part"), speak(L"second")};
    engine_site whole;
    spoken(whole, two);
    ASSERT_FALSE(whole.audio.empty());
    const size_t second_offset = whole.events[3].audio_offset;  // sentence event of "second"

    engine_site failing;
    failing.fail_write_call = 0;
    auto engine = make_engine();
    EXPECT_EQ(run(engine.get(), two, failing), S_OK);
    EXPECT_EQ(failing.audio.size(), whole.audio.size() - second_offset) << "only the first fragment is lost";
    EXPECT_EQ(failing.events[3].audio_offset, 0u);

    engine_site partial;
    partial.max_write = 100;
    engine = make_engine();
    EXPECT_EQ(run(engine.get(), two, partial), S_OK);
    EXPECT_EQ(partial.audio, whole.audio) << "partial writes are continued";
}

TEST_F(Engine, SilenceAndUnknownFragmentsProduceNothing) {
    fragment silence = with_action(fragment_action::silence, L"");
    silence.silence_ms = 500;
    engine_site site;
    spoken(site, {silence});
    EXPECT_TRUE(site.audio.empty());
    EXPECT_TRUE(site.events.empty());
    engine_site empty;
    spoken(empty, {speak(L"")});
    EXPECT_TRUE(empty.audio.empty());
    EXPECT_TRUE(empty.events.empty());
}

TEST_F(Engine, ConcurrentEnginesEachSpeakTheirOwnVoice) {
    struct result {
        HRESULT hr = E_FAIL;
        double hz = 0;
        size_t bytes = 0;
    };
    auto speak_in = [this](const wchar_t* voice, result& out) {
        Orvane::utils::com_apartment thread_apartment;
        engine_site site;
        auto engine = make_engine(voice);
        out.hr = run(engine.get(), {speak(L"aaaa aaaa aaaa aaaa aaaa")}, site);
        out.hz = support::estimate_pitch(samples(site));
        out.bytes = site.audio.size();
    };
    result low, high;
    std::thread a(speak_in, L"Tobin", std::ref(low));
    std::thread b(speak_in, L"Nana", std::ref(high));
    a.join();
    b.join();
    EXPECT_EQ(low.hr, S_OK);
    EXPECT_EQ(high.hr, S_OK);
    EXPECT_EQ(low.bytes, high.bytes);
    EXPECT_NEAR(low.hz, 80, 80 * 0.02);
    EXPECT_NEAR(high.hz, 350, 350 * 0.02);
}

#ifdef _WIN64
// A server that cannot be started, or a pipe held by a process that is not
// our server: Speak says so at once instead of returning S_OK in silence,
// and the voice chosen meanwhile is still the one the token names.
TEST_F(Engine, WithoutAReachableServerSpeakFailsAtOnceAndWithoutAClientToo) {
    EXPECT_EQ(sapi::speech_backend_unreachable, HRESULT_FROM_WIN32(ERROR_PIPE_NOT_CONNECTED));
    if (auto* client = sapi::process_pipe_client()) client->shutdown_server();
    const std::wstring lonely = Orvane::testing::temp_folder(L"orvane-lonely-server") + L"\\OrvaneServer.exe";
    ASSERT_TRUE(CopyFileW(ORVANE_SERVER_EXE, lonely.c_str(), FALSE)) << "a server without the legacy library";
    struct row {
        const char* what;
        std::wstring server;
        bool squatter;
        bool starts_a_process;  // whose start and exit take their own, varying, time
    };
    const row rows[] = {
        {"no server executable", L"C:\\nowhere\\OrvaneServer.exe", false, false},
        {"a server that cannot load the legacy library", lonely, false, true},
        {"the pipe held by another process", ORVANE_SERVER_EXE, true, false},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        std::unique_ptr<Orvane::testing::pipe_squatter> squatter;
        if (r.squatter) squatter = std::make_unique<Orvane::testing::pipe_squatter>();
        sapi::destroy_process_pipe_client();
        sapi::create_process_pipe_client(r.server);
        auto engine = com::IUnknownImpl<sapi::ISpTTSEngineImpl>::create();
        EXPECT_EQ(engine->SetObjectToken(sapi_host::make_named_token(L"Lyra").get()), S_OK);
        EXPECT_EQ(engine->voice(), 1) << "Lyra from the compiled-in table";
        engine_site site;
        const ULONGLONG start = GetTickCount64();
        EXPECT_EQ(run(engine.get(), {speak(L"hello"), speak(L"again")}, site), sapi::speech_backend_unreachable);
        // Not the five connect attempts and their waits (1.2 s at least).
        if (!r.starts_a_process) {
            EXPECT_LT(GetTickCount64() - start, 1000u);
        }
        EXPECT_TRUE(site.audio.empty());
        EXPECT_FALSE(Orvane::testing::mutex_exists()) << "no server runs afterwards";
        if (squatter) {
            EXPECT_EQ(squatter->bytes_received(), 0u) << "the text went to a process that is not our server";
        }
    }
    DeleteFileW(lonely.c_str());
    RemoveDirectoryW(lonely.substr(0, lonely.find_last_of(L'\\')).c_str());

    sapi::destroy_process_pipe_client();
    auto engine = com::IUnknownImpl<sapi::ISpTTSEngineImpl>::create();
    engine_site bookmarks;
    EXPECT_EQ(run(engine.get(), {with_action(fragment_action::bookmark, L"1")}, bookmarks), E_FAIL);
    EXPECT_EQ(bookmarks.get_actions_calls, 0u);
    sapi::create_process_pipe_client(ORVANE_SERVER_EXE);
}
#endif

}  // namespace
