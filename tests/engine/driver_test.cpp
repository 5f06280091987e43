// The driver against the stand-in engine, with the capture hooks live.

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <thread>

#include "engine/capture.h"
#include "engine/notify_window.h"
#include "engine/pcm_format.h"
#include "support/pitch.h"
#include "tests/engine/driver_fixture.h"

using namespace Orvane::engine;
using namespace Orvane::engine::testing;

namespace {

// What winmm answers by itself, taken before any hook exists.
struct real_results {
    MMRESULT open = 0;
    MMRESULT close_foreign = 0;
};
real_results baseline;

const HWAVEOUT foreign_handle = reinterpret_cast<HWAVEOUT>(static_cast<uintptr_t>(0x1234));

// Opens the default device with a callback argument that is no driver's;
// closes it again if a device really opened.
MMRESULT open_foreign(HWAVEOUT* opened = nullptr) {
    WAVEFORMATEX format = Orvane::engine::pcm_wave_format();
    HWAVEOUT device = nullptr;
    const MMRESULT result = waveOutOpen(&device, WAVE_MAPPER, &format, 0x5678, 0, CALLBACK_NULL);
    if (opened) *opened = device;
    if (result == MMSYSERR_NOERROR) waveOutClose(device);
    return result;
}

class real_results_environment : public ::testing::Environment {
public:
    void SetUp() override {
        baseline.open = open_foreign();
        baseline.close_foreign = waveOutClose(foreign_handle);
    }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new real_results_environment);

class Driver : public ::testing::Test {
protected:
    void SetUp() override {
        driver = load_standin();
        ASSERT_NE(driver, nullptr) << "stand-in o32_tts.dll next to the test";
    }
    engine_driver_ptr driver;
};

TEST(DriverLoad, RefusesBrokenLibrariesAndUnloadsThem) {
    const wchar_t* broken[] = {L"no_such_engine.dll", L"o32_tts_no_create.dll", L"o32_tts_no_ttswav.dll",
                               L"o32_tts_create_fails.dll"};
    for (const wchar_t* name : broken) {
        EXPECT_EQ(engine_driver::load(beside_exe(name).c_str()), nullptr) << name;
        EXPECT_EQ(GetModuleHandleW(name), nullptr) << "still loaded: " << name;
    }
    EXPECT_EQ(engine_driver::load(static_cast<const wchar_t*>(nullptr)), nullptr);
    EXPECT_EQ(engine_driver::load(static_cast<const char*>(nullptr)), nullptr);
}

TEST(DriverLoad, NarrowPathBindsEveryExport) {
    char path[MAX_PATH];
    WideCharToMultiByte(CP_ACP, 0, beside_exe(L"o32_tts.dll").c_str(), -1, path, MAX_PATH, nullptr, nullptr);
    engine_driver_ptr driver = engine_driver::load(path);
    ASSERT_NE(driver, nullptr);
    EXPECT_NE(driver->handle, 0u);
    EXPECT_TRUE(driver->orvRelBuf && driver->orvClose && driver->orvDestroy && driver->orvSetParams);
    EXPECT_EQ(driver->speed, 1.0f);
    EXPECT_EQ(driver->window, nullptr);
}

TEST_F(Driver, NullCallbackOrDriverDoesNothing) {
    collector sink;
    engine_driver::speak(driver.get(), nullptr, &sink, {"text"});
    engine_driver::speak(nullptr, collect, &sink, {"text"});
    EXPECT_EQ(sink.calls, 0);
    EXPECT_EQ(driver->window, nullptr);
    EXPECT_EQ(driver->captured_buffers, 0u);
}

// Unstretched audio is the engine's own buffers, byte for byte and block for
// block, in the right voice and with rate and volume applied.
TEST_F(Driver, UnstretchedAudioIsExactlyWhatTheEngineWrote) {
    const request cases[] = {
        {"Hello world, this is a test.", 0, 0, 1.0f, 0, -1},
        {"Hi\xE2\x80\xA6\r\nthere", 1, 0, 1.0f, 0, 200},
        {"faster and quieter", 4, -50, 1.0f, -40, -1},
        {"no preset", 14, 30, 1.0f, 20, 300},
        {"NaN stretch is no stretch", 2, 0, std::numeric_limits<float>::quiet_NaN(), 0, -1},
    };
    for (const request& r : cases) {
        SCOPED_TRACE(r.text);
        collector sink;
        speak(driver.get(), sink, r);
        const std::vector<int16_t> expected = expected_samples(r);
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(sink.samples, expected);
        EXPECT_EQ(sink.blocks, expected_blocks(expected.size()));
        EXPECT_EQ(driver->captured_buffers, sink.blocks.size());
        EXPECT_EQ(driver->released_buffers, driver->captured_buffers) << "every buffer reported played";
        EXPECT_EQ(driver->stream, nullptr);
    }
}

TEST_F(Driver, StretchChangesLengthNotPitch) {
    const request base{"aaaaaaaaaaaa aaaaaaaaaaaa", 1, 0, 1.0f, 0, 200};
    const size_t plain = expected_samples(base).size();
    const struct {
        float speed;
        double ratio;
    } cases[] = {{2.0f, 0.5}, {0.5f, 2.0}, {1.5f, 1.0 / 1.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.speed);
        request r = base;
        r.speed = c.speed;
        collector sink;
        speak(driver.get(), sink, r);
        EXPECT_NEAR(double(sink.samples.size()) / plain, c.ratio, c.ratio * 0.1);
        EXPECT_NEAR(Orvane::support::estimate_pitch(sink.samples), 200.0, 10.0);
        for (uint32_t block : sink.blocks) EXPECT_EQ(block % 2, 0u);
        EXPECT_EQ(driver->released_buffers, driver->captured_buffers);
        EXPECT_EQ(driver->stream, nullptr) << "stream lives for one speak";
    }
}

// After a refusal nothing more is delivered, not even the stretch flush, yet
// the engine still gets every buffer back; the next speak delivers again.
TEST_F(Driver, RefusalStopsDeliveryButNotReleases) {
    const request r{"A longer sentence that needs many wave buffers to play.", 3, 0, 1.0f, 0, -1};
    const size_t engine_buffers = expected_blocks(expected_samples(r).size()).size();
    ASSERT_GT(engine_buffers, 4u);
    const struct {
        float speed;
        int refuse_at;
    } cases[] = {{1.0f, 0}, {1.0f, 2}, {1.5f, 0}, {2.0f, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "speed " << c.speed << " refuse at " << c.refuse_at);
        request stopped = r;
        stopped.speed = c.speed;
        collector refusing;
        refusing.refuse_at = c.refuse_at;
        speak(driver.get(), refusing, stopped);
        EXPECT_EQ(refusing.calls, c.refuse_at + 1);
        EXPECT_EQ(driver->captured_buffers, engine_buffers) << "the engine still produced the whole text";
        EXPECT_EQ(driver->released_buffers, engine_buffers);

        collector next;
        speak(driver.get(), next, stopped);
        EXPECT_GT(next.calls, c.refuse_at + 1);
    }
}

// A callback's exception must not unwind through the engine: it comes out
// of speak after the engine finished, and the driver stays usable.
TEST_F(Driver, CallbackExceptionLeavesSpeakAfterTheEngineFinished) {
    const request r{"exceptions stay on our side", 5, 0, 1.0f, 0, -1};
    for (float speed : {1.0f, 2.0f}) {
        request thrown = r;
        thrown.speed = speed;
        collector sink;
        sink.throw_at_first = true;
        EXPECT_THROW(speak(driver.get(), sink, thrown), std::runtime_error);
        EXPECT_EQ(sink.calls, 1);
        EXPECT_EQ(driver->released_buffers, driver->captured_buffers);
        EXPECT_EQ(current_driver, nullptr);
        EXPECT_EQ(driver->stream, nullptr);

        collector again;
        speak(driver.get(), again, r);
        EXPECT_EQ(again.samples, expected_samples(r));
    }
}

// Inside a speak, only calls that carry the driver's address are answered by
// the capture; anything else on the same thread reaches winmm.
TEST_F(Driver, OnlyTheDriversOwnCallsAreCaptured) {
    static engine_driver* speaking;
    static MMRESULT foreign_open, foreign_close, own_open, own_reset;
    static HWAVEOUT foreign_device, own_device;
    speaking = driver.get();
    collector sink;
    sink.inside = [](collector& c) {
        if (c.calls != 1) return;
        foreign_open = open_foreign(&foreign_device);
        foreign_close = waveOutClose(foreign_handle);
        WAVEFORMATEX format = Orvane::engine::pcm_wave_format();
        own_open = waveOutOpen(&own_device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(speaking), 0,
                               CALLBACK_NULL);
        own_reset = waveOutReset(reinterpret_cast<HWAVEOUT>(speaking));
    };
    speak(driver.get(), sink, {"checking the hooks", 0, 0, 1.0f, 0, -1});
    EXPECT_EQ(foreign_open, baseline.open);
    EXPECT_NE(foreign_device, reinterpret_cast<HWAVEOUT>(speaking));
    EXPECT_EQ(foreign_close, baseline.close_foreign);
    EXPECT_EQ(own_open, MMSYSERR_NOERROR);
    EXPECT_EQ(own_device, reinterpret_cast<HWAVEOUT>(speaking));
    EXPECT_EQ(own_reset, MMSYSERR_NOERROR);
}

TEST_F(Driver, TwoThreadsHearOnlyTheirOwnVoiceAndOthersPassThrough) {
    engine_driver_ptr second = load_standin();
    ASSERT_NE(second, nullptr);
    const request high{"aaaaaaaaaa aaaaaaaaaa aaaaaaaaaa", 11, 0, 1.0f, 0, 400};
    const request low{"aaaaaaaaaa aaaaaaaaaa aaaaaaaaaa", 10, 0, 1.0f, 0, 90};
    collector high_sink, low_sink;
    std::atomic<int> running{2};
    std::atomic<int> passed{0}, wrong{0};

    std::thread bystander([&] {
        while (running > 0) {
            HWAVEOUT device = nullptr;
            const MMRESULT result = open_foreign(&device);
            const bool fake = device == reinterpret_cast<HWAVEOUT>(driver.get()) ||
                              device == reinterpret_cast<HWAVEOUT>(second.get());
            (result == baseline.open && !fake ? passed : wrong)++;
            Sleep(1);
        }
    });
    std::thread a([&] { speak(driver.get(), high_sink, high), running--; });
    std::thread b([&] { speak(second.get(), low_sink, low), running--; });
    a.join();
    b.join();
    bystander.join();

    EXPECT_EQ(high_sink.samples, expected_samples(high));
    EXPECT_EQ(low_sink.samples, expected_samples(low));
    EXPECT_NEAR(Orvane::support::estimate_pitch(high_sink.samples), 400.0, 20.0);
    EXPECT_NEAR(Orvane::support::estimate_pitch(low_sink.samples), 90.0, 5.0);
    EXPECT_GT(passed.load(), 0);
    EXPECT_EQ(wrong.load(), 0);
    // Each window belongs to its speaking thread; release there.
    std::thread([&] { second.reset(); }).join();
    std::thread([&] { driver.reset(); }).join();
}

TEST_F(Driver, BufferDoneAfterSpeakCallsNothing) {
    collector sink;
    speak(driver.get(), sink, {"done", 0, 0, 1.0f, 0, -1});
    const uint32_t released = driver->released_buffers;
    ASSERT_NE(driver->window, nullptr);
    ASSERT_TRUE(PostMessageW(driver->window, buffer_done_message, 0, 0));
    MSG msg;
    int dispatched = 0;
    while (PeekMessageW(&msg, driver->window, buffer_done_message, buffer_done_message, PM_REMOVE))
        DispatchMessageW(&msg), ++dispatched;
    EXPECT_GE(dispatched, 1);
    EXPECT_EQ(released, driver->captured_buffers);
    EXPECT_EQ(driver->released_buffers, released);
}

// A hidden helper window goes quietly: no quit message may reach the host's
// message loop, whichever thread releases the driver.
TEST_F(Driver, ReleaseDisposesOfTheWindowOnItsOwnThreadWithoutAQuit) {
    auto quit_pending = [] {
        MSG msg;
        return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    };
    std::thread([&] {
        collector sink;
        speak(driver.get(), sink, {"bye", 0, 0, 1.0f, 0, -1});
        HWND window = driver->window;
        ASSERT_TRUE(IsWindow(window));
        driver.reset();
        EXPECT_FALSE(IsWindow(window)) << "released on its own thread: gone at once";
        EXPECT_FALSE(quit_pending());
    }).join();

    // Released elsewhere: the window's thread closes it when it next
    // dispatches, as the legacy engine does in every speak.
    engine_driver_ptr moved = load_standin();
    ASSERT_NE(moved, nullptr);
    HWND window = nullptr;
    HANDLE released = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread owner([&] {
        collector sink;
        speak(moved.get(), sink, {"bye", 0, 0, 1.0f, 0, -1});
        window = moved->window;
        std::thread([&] { moved.reset(), SetEvent(released); }).join();
        WaitForSingleObject(released, INFINITE);
        EXPECT_TRUE(IsWindow(window)) << "not this thread's to destroy";
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_FALSE(quit_pending());
    });
    owner.join();
    CloseHandle(released);
}

// A driver used from a second thread gets a window there; the first
// thread's window would never see the buffer-done messages.
TEST_F(Driver, SpeaksFromAnotherThreadWithoutLosingReleases) {
    const request r{"one thread then another", 6, 0, 1.0f, 0, -1};
    collector first, second;
    std::thread([&] { speak(driver.get(), first, r); }).join();
    std::thread([&] {
        speak(driver.get(), second, r);
        EXPECT_EQ(driver->released_buffers, driver->captured_buffers);
    }).join();
    EXPECT_EQ(second.samples, expected_samples(r));
    std::thread([&] { driver.reset(); }).join();
}

TEST_F(Driver, WithoutAWindowSpeakSaysNothingAndRecoversLater) {
    std::thread([this] {
        const request r{"no window", 0, 0, 1.0f, 0, -1};
        collector silent;
        fail_window_creation_for_testing(true);
        speak(driver.get(), silent, r);
        fail_window_creation_for_testing(false);
        EXPECT_EQ(silent.calls, 0);
        EXPECT_EQ(driver->window, nullptr);
        EXPECT_EQ(driver->captured_buffers, 0u);
        MSG msg;
        EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "nothing posted to the thread";

        collector heard;
        speak(driver.get(), heard, r);
        EXPECT_EQ(heard.samples, expected_samples(r));
        driver.reset();
    }).join();
}

// orvDestroy takes no instance handle, so a real library may end every open
// instance with it. The strict stand-in does; with it, releasing one driver
// must leave the others of the process speaking.
TEST(DriverLibrary, ReleasingOneDriverLeavesTheOthersOfTheLibrarySpeaking) {
    const std::wstring strict = beside_exe(L"o32_tts_destroy_ends_all.dll");
    const request r{"still speaking", 2, 0, 1.0f, 0, -1};
    engine_driver_ptr first = engine_driver::load(strict.c_str());
    engine_driver_ptr second = engine_driver::load(strict.c_str());
    engine_driver_ptr third = engine_driver::load(strict.c_str());
    ASSERT_TRUE(first && second && third);
    for (engine_driver* driver : {first.get(), second.get(), third.get()}) {
        collector sink;
        speak(driver, sink, r);
        EXPECT_EQ(sink.samples, expected_samples(r));
    }
    first.reset();
    collector after_one;
    speak(second.get(), after_one, r);
    EXPECT_EQ(after_one.samples, expected_samples(r)) << "the first release ended the second driver's instance";

    // The strict library really ends the others when orvDestroy runs early.
    engine_driver_ptr witness = engine_driver::load(strict.c_str());
    ASSERT_NE(witness, nullptr);
    witness->orvDestroy();
    collector ended;
    speak(second.get(), ended, r);
    EXPECT_EQ(ended.calls, 0);

    // Once every driver is gone the library is unloaded; a new one starts afresh.
    for (engine_driver_ptr* driver : {&second, &third, &witness}) driver->reset();
    EXPECT_EQ(GetModuleHandleW(L"o32_tts_destroy_ends_all.dll"), nullptr);
    engine_driver_ptr fresh = engine_driver::load(strict.c_str());
    ASSERT_NE(fresh, nullptr);
    collector again;
    speak(fresh.get(), again, r);
    EXPECT_EQ(again.samples, expected_samples(r));
}

}  // namespace
