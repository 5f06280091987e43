#include "engine/stretch.h"

#include <sonic.h>

#include <vector>

#include "engine/engine_driver.h"

namespace Orvane::engine {

void stream_deleter::operator()(sonicStreamStruct* stream) const {
    if (stream) sonicDestroyStream(stream);
}

stream_holder create_stretch_stream(float speed) {
    stream_holder stream(sonicCreateStream(11025, 1));
    if (stream) {
        sonicSetSpeed(stream.get(), speed);
        sonicSetQuality(stream.get(), 1);
    }
    return stream;
}

void stretch_write(engine_driver& driver, const short* samples, int sample_count) {
    // Sonic's prototype lacks const; it only reads the samples.
    sonicWriteShortToStream(driver.stream, const_cast<short*>(samples), sample_count);
}

void deliver_stretched(engine_driver& driver, bool flush) {
    if (flush) sonicFlushStream(driver.stream);
    std::vector<short> block;
    while (!driver.stopped && driver.callback) {
        const int available = sonicSamplesAvailable(driver.stream);
        if (available <= 0) break;
        block.assign(static_cast<size_t>(available), 0);
        const int read = sonicReadShortFromStream(driver.stream, block.data(), available);
        if (read <= 0) break;  // never spin on a stream that reports but yields nothing
        if (!driver.callback(block.data(), static_cast<uint32_t>(read) * 2, driver.callback_data))
            driver.stopped = true;
    }
}

}  // namespace Orvane::engine
