// One process's first use of the driver, from many threads at once: each
// loads its own driver, then all are released together and speak for the
// first time. Exit code 0 when every thread got exactly the stand-in's
// audio, 1 when one did not, 2 for a bad argument.
//   first_use_probe THREADS
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "tests/engine/driver_fixture.h"

using namespace Orvane::engine;
using namespace Orvane::engine::testing;

int main(int argc, char** argv) {
    const int threads = argc == 2 ? std::atoi(argv[1]) : 0;
    if (threads < 1 || threads > 64) return 2;
    HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> ready{0};
    std::vector<int> wrong(size_t(threads), 0);
    std::vector<std::thread> speakers;
    for (int i = 0; i < threads; ++i) {
        speakers.emplace_back([&, i] {
            const request r{"First words of thread " + std::to_string(i) + ".", i % 14, 0, 1.0f, 0, -1};
            engine_driver_ptr driver = load_standin();
            ++ready;
            WaitForSingleObject(start, INFINITE);
            collector sink;
            if (driver) speak(driver.get(), sink, r);
            wrong[size_t(i)] = !driver || sink.samples != expected_samples(r);
        });
    }
    while (ready < threads) Sleep(1);
    SetEvent(start);
    for (auto& speaker : speakers) speaker.join();
    CloseHandle(start);
    int failures = 0;
    for (int i = 0; i < threads; ++i)
        if (wrong[size_t(i)]) std::fprintf(stderr, "thread %d: not the full audio\n", i), ++failures;
    return failures == 0 ? 0 : 1;
}
