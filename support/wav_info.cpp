// Prints seconds of audio and the measured fundamental frequency of WAV
// files, one line each: "PATH SECONDS HZ". The demo's table uses it.
#include <cstdio>
#include <exception>

#include "support/pitch.h"
#include "support/wav.h"

int main(int argc, char** argv) {
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        try {
            const auto audio = Orvane::support::read_wav(argv[i]);
            const double seconds = double(audio.samples.size()) / audio.sample_rate;
            std::printf("%s %.2f %.1f\n", argv[i], seconds, Orvane::support::estimate_pitch(audio.samples));
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", argv[i], e.what());
            status = 1;
        }
    }
    return status;
}
