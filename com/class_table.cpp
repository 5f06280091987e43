#include "com/class_table.h"

#include "sapi/token_enumerator.h"
#include "sapi/tts_engine.h"

namespace Orvane::com {

class_object_factory& class_table() {
    static class_object_factory table;
    return table;
}

void fill_class_table() {
    class_table().add<sapi::IEnumSpObjectTokensImpl>();
    class_table().add<sapi::ISpTTSEngineImpl>();
}

}  // namespace Orvane::com
