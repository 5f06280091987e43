#pragma once
// The bare back-end of this build, with nothing of SAPI around it: the
// legacy engine driver in the 32-bit build, the process-wide pipe client
// (speech server) in the 64-bit build.

#include <memory>
#include <string>

#include "bench/probe.h"

namespace Orvane::bench {

class direct_speaker {
public:
    // Throws std::runtime_error when the back-end cannot speak at all.
    direct_speaker();
    ~direct_speaker();
    direct_speaker(const direct_speaker&) = delete;
    direct_speaker& operator=(const direct_speaker&) = delete;

    // Voice 0 at rate 0 and volume 0 with the voice's own pitch.
    void speak(const std::string& text, float speed, audio_probe& probe);

    // What is measured, for the report.
    static const char* description();

private:
    struct state;
    std::unique_ptr<state> state_;
};

}  // namespace Orvane::bench
