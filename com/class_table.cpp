#include "com/class_table.h"

#include "sapi/token_enumerator.h"
#ifdef ORVANE_WITH_TTS_ENGINE
#include "sapi/tts_engine.h"
#endif

namespace Orvane::com {

class_object_factory& class_table() {
    static class_object_factory table;
    return table;
}

void fill_class_table() {
    class_table().add<sapi::IEnumSpObjectTokensImpl>();
#ifdef ORVANE_WITH_TTS_ENGINE
    class_table().add<sapi::ISpTTSEngineImpl>();
#endif
}

}  // namespace Orvane::com
