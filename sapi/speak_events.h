#pragma once
// Events an engine queues on SAPI's site while it speaks.

#include <cstdint>

#include "sapi/sapi_ddk.h"

namespace Orvane::sapi {

// Sentence event for a whole fragment.
void queue_sentence(ISpTTSEngineSite* site, const SPVTEXTFRAG& fragment, uint64_t audio_offset);

// One word event per word of the fragment, in text order.
void queue_words(ISpTTSEngineSite* site, const SPVTEXTFRAG& fragment, uint64_t audio_offset);

// A bookmark: its text and numeric value, or an empty event without text.
void queue_bookmark(ISpTTSEngineSite* site, const SPVTEXTFRAG& fragment, uint64_t audio_offset);

}  // namespace Orvane::sapi
