#include "standins/sapi_host/fragment_chain.h"

namespace Orvane::sapi_host {
namespace {

SPVACTIONS to_sapi(fragment_action action) {
    switch (action) {
        case fragment_action::silence: return SPVA_Silence;
        case fragment_action::bookmark: return SPVA_Bookmark;
        case fragment_action::spell_out: return SPVA_SpellOut;
        case fragment_action::speak: break;
    }
    return SPVA_Speak;
}

}  // namespace

fragment_chain::fragment_chain(const std::vector<fragment>& fragments) {
    nodes_.resize(fragments.size());
    for (size_t i = 0; i < fragments.size(); ++i) {
        const fragment& f = fragments[i];
        SPVTEXTFRAG& node = nodes_[i];
        node = SPVTEXTFRAG{};
        node.pNext = i + 1 < fragments.size() ? &nodes_[i + 1] : nullptr;
        node.State.eAction = to_sapi(f.action);
        node.State.LangID = 0x409;
        node.State.RateAdj = f.state.rate_adj;
        node.State.Volume = f.state.volume;
        node.State.PitchAdj.MiddleAdj = f.state.middle_adj;
        node.State.SilenceMSecs = f.silence_ms;
        texts_.push_back(f.text);
        node.pTextStart = texts_.back().empty() ? nullptr : texts_.back().c_str();
        node.ulTextLen = static_cast<ULONG>(texts_.back().size());
        node.ulTextSrcOffset = f.source_offset;
    }
}

}  // namespace Orvane::sapi_host
