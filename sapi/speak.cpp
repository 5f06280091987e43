// ISpTTSEngine::Speak: walks SAPI's fragments, queues their events and
// hands each spoken fragment to the back-end as one synthesis request.
#include <string>

#include "com/com_boundary.h"
#include "engine/voice_table.h"
#include "sapi/speak_events.h"
#include "sapi/speak_parameters.h"
#include "sapi/tts_engine.h"
#include "utils/utf.h"

namespace Orvane::sapi {
namespace {

struct speak_context {
    ISpTTSEngineSite* site;
    uint64_t bytes_written;
    bool aborted;
};

struct site_state {
    long rate = 0;
    USHORT volume = 100;
    bool sentence_interest = false;
    bool word_interest = false;

    void read_rate(ISpTTSEngineSite* site) {
        rate = 0;
        site->GetRate(&rate);
    }
    void read_volume(ISpTTSEngineSite* site) {
        volume = 100;
        site->GetVolume(&volume);
    }
};

// Abort and skip end the call; both stop the audio of the current fragment.
bool abort_requested(speak_context& context) {
    const DWORD actions = context.site->GetActions();
    if (actions & SPVES_ABORT) {
        context.aborted = true;
        return true;
    }
    if (actions & SPVES_SKIP) {
        context.site->CompleteSkip(0);
        context.aborted = true;
        return true;
    }
    return false;
}

bool on_audio(const void* data, uint32_t byte_count, void* user_data) {
    auto* context = static_cast<speak_context*>(user_data);
    if (!context || !context->site) return false;
    if (abort_requested(*context)) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (byte_count > 0) {
        if (abort_requested(*context)) return false;
        ULONG written = byte_count;
        if (FAILED(context->site->Write(bytes, byte_count, &written))) return false;
        if (written > byte_count) return false;
        // A site that takes nothing would keep us here for ever.
        if (written == 0) return false;
        context->bytes_written += written;
        bytes += written;
        byte_count -= written;
    }
    return true;
}

}  // namespace

HRESULT ISpTTSEngineImpl::Speak(DWORD, REFGUID, const WAVEFORMATEX*, const SPVTEXTFRAG* fragments,
                                ISpTTSEngineSite* site) {
    if (!fragments || !site) return E_INVALIDARG;
    return com::com_boundary([&]() -> HRESULT {
        if (!backend.ensure_ready()) return E_FAIL;

        site_state state;
        state.read_rate(site);
        state.read_volume(site);
        ULONGLONG interest = 0;
        site->GetEventInterest(&interest);
        state.sentence_interest = (interest & SPFEI(SPEI_SENTENCE_BOUNDARY)) != 0;
        state.word_interest = (interest & SPFEI(SPEI_WORD_BOUNDARY)) != 0;
        speak_context context{site, 0, false};

        for (const SPVTEXTFRAG* fragment = fragments; fragment; fragment = fragment->pNext) {
            const DWORD actions = site->GetActions();
            if (actions & SPVES_ABORT) return S_OK;
            if (actions & SPVES_SKIP) {
                site->CompleteSkip(0);
                return S_OK;
            }
            if (actions & SPVES_RATE) state.read_rate(site);
            if (actions & SPVES_VOLUME) state.read_volume(site);

            switch (fragment->State.eAction) {
                case SPVA_Bookmark:
                    queue_bookmark(site, *fragment, context.bytes_written);
                    break;
                case SPVA_Speak:
                case SPVA_SpellOut: {
                    if (fragment->ulTextLen == 0 || !fragment->pTextStart) break;
                    engine::synthesis_request request;
                    request.text = utils::wide_to_utf8(std::wstring_view(fragment->pTextStart, fragment->ulTextLen));
                    if (request.text.empty()) break;
                    if (state.sentence_interest) queue_sentence(site, *fragment, context.bytes_written);
                    if (state.word_interest) queue_words(site, *fragment, context.bytes_written);
                    const rate_and_speed rate = compute_rate(fragment->State.RateAdj, state.rate);
                    request.voice_index = voice_index;
                    request.rate = rate.rate;
                    request.speed = rate.speed;
                    request.volume = compute_volume(state.volume, fragment->State.Volume);
                    request.pitch =
                        compute_pitch(engine::voice_base_pitch(voice_index), fragment->State.PitchAdj.MiddleAdj);
                    const uint64_t written_before = context.bytes_written;
                    const bool ended_well = backend.synthesize(request, on_audio, &context);
                    if (context.aborted) return S_OK;
                    // The back-end was out of reach or lost before this
                    // fragment said anything: the rest would fare no better.
                    // Silence is a failure; what was heard stays a success.
                    if (!ended_well && context.bytes_written == written_before)
                        return context.bytes_written == 0 ? speech_backend_unreachable : S_OK;
                    break;
                }
                default:
                    break;  // silence, pronounce, section, unknown tags: nothing to say
            }
        }
        return S_OK;
    });
}

}  // namespace Orvane::sapi
