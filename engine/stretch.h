#pragma once
// The driver's Sonic stream: creation for one speak and delivery of what it
// has ready to the driver's callback.

#include <memory>

struct sonicStreamStruct;

namespace Orvane::engine {

struct engine_driver;

struct stream_deleter {
    void operator()(sonicStreamStruct* stream) const;
};
using stream_holder = std::unique_ptr<sonicStreamStruct, stream_deleter>;

// A stream stretching 11025 Hz mono audio by `speed` (quality 1); null when
// Sonic cannot create one.
stream_holder create_stretch_stream(float speed);

// Feeds `sample_count` samples into the driver's stream.
void stretch_write(engine_driver& driver, const short* samples, int sample_count);

// Hands every ready sample of the driver's stream to its callback, one
// block per run; stops once the callback refuses. With `flush`, the stream
// first gives up what it still holds.
void deliver_stretched(engine_driver& driver, bool flush);

}  // namespace Orvane::engine
