#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "standins/o32_tts/playback.h"

using namespace Orvane::standin;

namespace {

// Who tells the player that a buffer was played.
enum class reporter {
    capture,  // the hooks: one buffer-done message per write, handled while the player pumps
    device,   // a real device: the done flag, set once the player has waited
    nobody,   // neither: every wait runs into the timeout
};

// A wave device and message queue in memory, with a clock that moves only
// when the player waits. Records what the player does and whether it ever
// touches a buffer the device still owns.
class fake_sink : public wave_sink {
public:
    fake_sink(reporter who, release_queue& releases) : who_(who), releases_(releases) {}

    int16_t* buffer(int slot) override { return memory_[slot].data(); }

    bool write(int slot, uint32_t bytes) override {
        if (writes == fail_at_write) return false;
        if (in_device_[slot]) faults.push_back("slot " + std::to_string(slot) + " written while in flight");
        in_device_[slot] = true;
        done_[slot] = false;
        ++writes;
        sizes.push_back(bytes);
        captured.insert(captured.end(), memory_[slot].begin(), memory_[slot].begin() + bytes / 2);
        if (who_ == reporter::capture) ++posted_;
        max_in_flight = std::max(max_in_flight, static_cast<int>(std::count(in_device_.begin(), in_device_.end(), true)));
        return true;
    }

    bool played(int slot) override { return done_[slot]; }

    void unprepare(int slot) override {
        if (!releases_.is_released(slot) && !done_[slot])
            faults.push_back("slot " + std::to_string(slot) + " unprepared before it was played");
        in_device_[slot] = false;
        ++unprepares;
    }

    void wait(uint32_t ms) override {
        clock_ += ms;
        ++waits;
        if (who_ == reporter::capture) {
            for (; posted_ > 0; --posted_) releases_.release_oldest();  // the window procedure's orvRelBuf
        } else if (who_ == reporter::device) {
            for (int slot = 0; slot < buffers_in_flight; ++slot) done_[slot] = in_device_[slot];
        }
    }

    uint64_t now_ms() override { return clock_; }

    int in_device() const { return static_cast<int>(std::count(in_device_.begin(), in_device_.end(), true)); }

    std::vector<int16_t> captured;
    std::vector<uint32_t> sizes;
    std::vector<std::string> faults;
    int writes = 0;
    int unprepares = 0;
    int waits = 0;
    int max_in_flight = 0;
    int fail_at_write = -1;

private:
    reporter who_;
    release_queue& releases_;
    std::array<std::array<int16_t, large_buffer_bytes / 2>, buffers_in_flight> memory_{};
    std::array<bool, buffers_in_flight> in_device_{};
    std::array<bool, buffers_in_flight> done_{};
    int posted_ = 0;
    uint64_t clock_ = 0;
};

const char* const long_text = "~f120]The quick brown fox jumps over the lazy dog, twice: 1234567890.";

TEST(Playback, EveryBufferReachesTheOutputOnceAndInOrder) {
    for (reporter who : {reporter::capture, reporter::device}) {
        release_queue releases;
        fake_sink sink(who, releases);
        synth_stream stream(long_text, {});
        EXPECT_EQ(play(stream, sink, releases), play_result::finished);
        EXPECT_EQ(sink.captured, synthesize(long_text)) << "reporter " << static_cast<int>(who);
        EXPECT_TRUE(sink.faults.empty()) << sink.faults.front();
        EXPECT_EQ(sink.unprepares, sink.writes) << "every written buffer is unprepared";
        EXPECT_EQ(sink.in_device(), 0);
        EXPECT_EQ(releases.waiting(), 0u);
        EXPECT_EQ(sink.max_in_flight, buffers_in_flight);
    }
}

TEST(Playback, BufferSizesAlternateAndTheLastIsShort) {
    release_queue releases;
    fake_sink sink(reporter::capture, releases);
    synth_stream stream("Hello world", {});  // 11 x 660 samples = 14520 bytes
    ASSERT_EQ(play(stream, sink, releases), play_result::finished);
    EXPECT_EQ(sink.sizes, (std::vector<uint32_t>{4096, 2048, 4096, 2048, 2232}));
}

TEST(Playback, NothingToSayWritesNothing) {
    for (const char* text : {"", "~f80]~v2]"}) {
        release_queue releases;
        fake_sink sink(reporter::capture, releases);
        synth_stream stream(text, {});
        EXPECT_EQ(play(stream, sink, releases), play_result::finished);
        EXPECT_EQ(sink.writes, 0) << text;
    }
}

TEST(Playback, BuffersNobodyReleasesEndTheUtteranceAfterTheTimeout) {
    const struct {
        const char* text;
        int writes;  // what goes out before the player gives up
    } cases[] = {
        {long_text, buffers_in_flight},  // waiting to reuse the first buffer
        {"Hi", 1},                       // waiting for the last buffers at the end
    };
    for (const auto& c : cases) {
        release_queue releases;
        fake_sink sink(reporter::nobody, releases);
        synth_stream stream(c.text, {});
        EXPECT_EQ(play(stream, sink, releases), play_result::timed_out) << c.text;
        EXPECT_EQ(sink.writes, c.writes) << c.text;
        EXPECT_GE(sink.now_ms(), release_timeout_ms) << c.text;
        EXPECT_LE(sink.now_ms(), release_timeout_ms + poll_interval_ms) << "gave up on one buffer only";
        EXPECT_TRUE(sink.faults.empty()) << sink.faults.front();
    }
}

TEST(Playback, AFailedWriteEndsTheUtterance) {
    release_queue releases;
    fake_sink sink(reporter::capture, releases);
    sink.fail_at_write = 2;
    synth_stream stream(long_text, {});
    EXPECT_EQ(play(stream, sink, releases), play_result::write_failed);
    EXPECT_EQ(sink.writes, 2);
}

TEST(Playback, ReportsLeftFromAnEarlierUtteranceAreForgotten) {
    release_queue releases;
    releases.push(0);
    releases.push(1);  // a previous utterance ended with buffers in flight
    fake_sink sink(reporter::capture, releases);
    synth_stream stream(long_text, {});
    EXPECT_EQ(play(stream, sink, releases), play_result::finished);
    EXPECT_EQ(sink.captured, synthesize(long_text));
    EXPECT_TRUE(sink.faults.empty()) << sink.faults.front();
}

TEST(ReleaseQueue, ReportsReleaseTheOldestBufferFirst) {
    release_queue queue;
    EXPECT_FALSE(queue.release_oldest()) << "nothing in flight: the report is ignored";
    for (int slot : {2, 0, 1}) queue.push(slot);
    EXPECT_EQ(queue.oldest(), 2);
    EXPECT_TRUE(queue.release_oldest());
    EXPECT_TRUE(queue.is_released(2));
    EXPECT_FALSE(queue.is_released(0));
    queue.mark_released(1);  // the device finished a later one first
    EXPECT_TRUE(queue.release_oldest());
    EXPECT_TRUE(queue.is_released(0));
    EXPECT_FALSE(queue.release_oldest()) << "all three already reported";
    EXPECT_EQ(queue.waiting(), 0u);
    queue.remove(2);
    EXPECT_EQ(queue.oldest(), 0);
    EXPECT_FALSE(queue.contains(2));
    EXPECT_TRUE(queue.is_released(2)) << "a buffer not in flight is free";
}

}  // namespace
