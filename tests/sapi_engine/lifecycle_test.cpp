// The built library as a screen reader uses it all day: a voice is
// created, speaks once on the host's worker thread (as SAPI speaks) and
// is released on the main thread, a thousand times over.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/voice_table.h"
#include "support/process_counters.h"
#include "tests/sapi_engine/library_host.h"
#include "utils/com_apartment.h"

#ifdef _WIN64
#include "pipe/pipe_client.h"
#endif

using namespace Orvane;
using namespace Orvane::testing;
using namespace Orvane::support;

namespace {

#ifdef _WIN64
constexpr const wchar_t* library_file = L"x64\\OrvaneSAPI.dll";
#else
constexpr const wchar_t* library_file = L"OrvaneSAPI.dll";
#endif

// The notification windows of this process.
int notify_windows() {
    int count = 0;
    for (HWND window = nullptr; (window = FindWindowExW(HWND_MESSAGE, window, L"o32tts_wrapper_class", nullptr));) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        count += process == GetCurrentProcessId();
    }
    return count;
}

std::wstring voice_name(int index) {
    const std::string name = engine::voice_table()[index % engine::voice_table_size].name;
    return std::wstring(name.begin(), name.end());
}

TEST(EngineLifecycle, AThousandVoicesLeaveMemoryHandlesAndWindowsWhereTheyWere) {
    utils::com_apartment apartment;
    {
        library_host host(staged_file(library_file));
        worker_thread sapi_thread;
        const std::wstring text = L"Hi there.";
        int cycle_number = 0;
        auto cycle = [&] {
            auto engine = host.create_engine(voice_name(cycle_number++));
            sapi_host::engine_site site;
            HRESULT hr = E_FAIL;
            sapi_thread.run([&] { hr = speak_text(engine.get(), text, site); });
            engine = {};  // the host's last reference, on its own thread
            return hr == S_OK ? site.audio.size() : 0;
        };
        const size_t full = cycle();
        ASSERT_GT(full, 0u);
        for (int i = 0; i < 50; ++i) cycle();
        // The readings' own first allocations are not the run's.
        const int windows_before = notify_windows();
        read_process_counters(GetCurrentProcess());
        const process_counters before = read_process_counters(GetCurrentProcess());

        int short_cycles = 0;
        for (int i = 0; i < 1000; ++i) short_cycles += cycle() != full;
        const process_counters after = read_process_counters(GetCurrentProcess());

        const double memory_growth = double(after.memory_bytes()) - double(before.memory_bytes());
        std::printf("1000 voices: memory %+.0f bytes, handles %+lld, notify windows %d -> %d\n", memory_growth,
                    (long long)after.handles - (long long)before.handles, windows_before, notify_windows());
        EXPECT_EQ(short_cycles, 0) << "cycles without the full audio";
        // 19 KB a cycle was the leak: 19 MB over this run.
        EXPECT_LT(memory_growth, 2.0 * 1024 * 1024);
        EXPECT_LE(double(after.handles) - double(before.handles), 8.0)
            << "handles " << before.handles << " -> " << after.handles;
        EXPECT_LE(notify_windows(), windows_before + 1) << "a window left behind by every voice";
    }
#ifdef _WIN64
    pipe::pipe_client(staged_file(L"OrvaneServer.exe")).shutdown_server();
#endif
}

}  // namespace
