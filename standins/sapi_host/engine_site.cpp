#include "standins/sapi_host/engine_site.h"

#include <cwchar>

namespace Orvane::sapi_host {

HRESULT engine_site::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISpEventSink) || IsEqualIID(iid, IID_ISpTTSEngineSite)) {
        *out = static_cast<ISpTTSEngineSite*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT engine_site::AddEvents(const SPEVENT* list, ULONG count) {
    if (!list && count) return E_POINTER;
    for (ULONG i = 0; i < count; ++i) {
        const SPEVENT& e = list[i];
        recorded_event r{static_cast<SPEVENTENUM>(e.eEventId), static_cast<SPEVENTLPARAMTYPE>(e.elParamType),
                         e.ullAudioStreamOffset, e.wParam, e.lParam, {}};
        if (e.elParamType == SPET_LPARAM_IS_STRING && e.lParam)
            r.text = reinterpret_cast<const wchar_t*>(e.lParam);
        events.push_back(r);
        if (on_event) on_event(events.back());
    }
    return S_OK;
}

HRESULT engine_site::GetEventInterest(ULONGLONG* interest) {
    if (!interest) return E_POINTER;
    *interest = event_interest;
    return S_OK;
}

DWORD engine_site::GetActions() {
    ++get_actions_calls;
    if (before_actions) before_actions(*this);
    return pending_actions;
}

HRESULT engine_site::Write(const void* data, ULONG bytes, ULONG* written) {
    const int call = static_cast<int>(write_calls++);
    if (call == fail_write_call) return E_FAIL;
    if (!data && bytes) return E_POINTER;
    const ULONG taken = (max_write && bytes > max_write) ? max_write : bytes;
    const auto* p = static_cast<const uint8_t*>(data);
    if (audio_sink) {
        if (!audio_sink(p, taken)) return E_FAIL;
    } else {
        audio.insert(audio.end(), p, p + taken);
    }
    audio_bytes += taken;
    if (written) *written = taken;
    if (on_audio) on_audio(audio_bytes);
    return S_OK;
}

HRESULT engine_site::GetRate(long* rate_adjust) {
    if (!rate_adjust) return E_POINTER;
    *rate_adjust = rate;
    pending_actions &= ~static_cast<DWORD>(SPVES_RATE);
    return S_OK;
}

HRESULT engine_site::GetVolume(USHORT* out_volume) {
    if (!out_volume) return E_POINTER;
    *out_volume = volume;
    pending_actions &= ~static_cast<DWORD>(SPVES_VOLUME);
    return S_OK;
}

HRESULT engine_site::GetSkipInfo(SPVSKIPTYPE* type, long* items) {
    if (!type || !items) return E_POINTER;
    *type = SPVST_SENTENCE;
    *items = 1;
    return S_OK;
}

HRESULT engine_site::CompleteSkip(long) {
    ++complete_skip_calls;
    pending_actions &= ~static_cast<DWORD>(SPVES_SKIP);
    return S_OK;
}

}  // namespace Orvane::sapi_host
