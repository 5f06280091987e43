#pragma once
// The output site SAPI hands to an engine's Speak: it takes the audio,
// collects events and tells the engine about rate, volume, abort and skip.
// Our host and the engine tests use it; behaviour can be scripted.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sapi/sapi_ddk.h"

namespace Orvane::sapi_host {

struct recorded_event {
    SPEVENTENUM id;
    SPEVENTLPARAMTYPE lparam_type;
    ULONGLONG audio_offset;
    WPARAM wparam;
    LPARAM lparam;
    std::wstring text;  // copy of a string lParam, taken while AddEvents runs
};

class engine_site final : public ISpTTSEngineSite {
public:
    engine_site() = default;
    engine_site(const engine_site&) = delete;
    engine_site& operator=(const engine_site&) = delete;
    ~engine_site() = default;

    // What the engine is told.
    ULONGLONG event_interest = SPFEI(SPEI_TTS_BOOKMARK) | SPFEI(SPEI_SENTENCE_BOUNDARY) | SPFEI(SPEI_WORD_BOUNDARY);
    long rate = 0;
    USHORT volume = 100;
    DWORD pending_actions = SPVES_CONTINUE;  // GetRate/GetVolume/CompleteSkip clear their flag

    // Scripting: called at the start of every GetActions, may set pending_actions.
    std::function<void(engine_site&)> before_actions;
    ULONG max_write = 0;          // accept at most this many bytes per Write (0: all)
    int fail_write_call = -1;     // this Write call (0-based) fails with E_FAIL
    std::function<void(const recorded_event&)> on_event;
    std::function<void(uint64_t total_bytes)> on_audio;
    // When set, audio goes here instead of into `audio`; false fails the
    // Write with E_FAIL (a host that cannot store it, a full disk).
    std::function<bool(const uint8_t* data, ULONG bytes)> audio_sink;

    // What the engine did.
    std::vector<uint8_t> audio;
    uint64_t audio_bytes = 0;  // taken by Write, kept or not
    std::vector<recorded_event> events;
    unsigned get_actions_calls = 0;
    unsigned write_calls = 0;
    unsigned complete_skip_calls = 0;
    long references() const { return refs_; }

    // IUnknown: the site lives on the caller's stack; references are only counted.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs_); }

    // ISpEventSink
    HRESULT STDMETHODCALLTYPE AddEvents(const SPEVENT* events, ULONG count) override;
    HRESULT STDMETHODCALLTYPE GetEventInterest(ULONGLONG* interest) override;

    // ISpTTSEngineSite
    DWORD STDMETHODCALLTYPE GetActions() override;
    HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG bytes, ULONG* written) override;
    HRESULT STDMETHODCALLTYPE GetRate(long* rate_adjust) override;
    HRESULT STDMETHODCALLTYPE GetVolume(USHORT* volume) override;
    HRESULT STDMETHODCALLTYPE GetSkipInfo(SPVSKIPTYPE* type, long* items) override;
    HRESULT STDMETHODCALLTYPE CompleteSkip(long skipped) override;

private:
    long refs_ = 1;
};

}  // namespace Orvane::sapi_host
