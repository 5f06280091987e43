#include "sapi/speak_events.h"

#include <string>

#include "sapi/speak_parameters.h"

namespace Orvane::sapi {
namespace {

void queue(ISpTTSEngineSite* site, SPEVENTENUM id, SPEVENTLPARAMTYPE type, uint64_t offset, WPARAM wparam,
           LPARAM lparam) {
    SPEVENT event{};
    event.eEventId = id;
    event.elParamType = type;
    event.ulStreamNum = 0;
    event.ullAudioStreamOffset = offset;
    event.wParam = wparam;
    event.lParam = lparam;
    site->AddEvents(&event, 1);
}

}  // namespace

void queue_sentence(ISpTTSEngineSite* site, const SPVTEXTFRAG& fragment, uint64_t audio_offset) {
    queue(site, SPEI_SENTENCE_BOUNDARY, SPET_LPARAM_IS_UNDEFINED, audio_offset, fragment.ulTextLen,
          static_cast<LPARAM>(fragment.ulTextSrcOffset));
}

void queue_words(ISpTTSEngineSite* site, const SPVTEXTFRAG& fragment, uint64_t audio_offset) {
    for (const word_span& word : scan_words(fragment.pTextStart, fragment.ulTextLen))
        queue(site, SPEI_WORD_BOUNDARY, SPET_LPARAM_IS_UNDEFINED, audio_offset, word.length,
              static_cast<LPARAM>(fragment.ulTextSrcOffset + word.offset));
}

void queue_bookmark(ISpTTSEngineSite* site, const SPVTEXTFRAG& fragment, uint64_t audio_offset) {
    if (!fragment.pTextStart || fragment.ulTextLen == 0) {
        queue(site, SPEI_TTS_BOOKMARK, SPET_LPARAM_IS_UNDEFINED, audio_offset, 0, 0);
        return;
    }
    // The copy must outlive AddEvents, which copies what it keeps.
    const std::wstring text(fragment.pTextStart, fragment.ulTextLen);
    const long value = bookmark_value(text.c_str(), fragment.ulTextLen);
    queue(site, SPEI_TTS_BOOKMARK, SPET_LPARAM_IS_STRING, audio_offset, static_cast<WPARAM>(static_cast<LONG_PTR>(value)),
          reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace Orvane::sapi
