// One process's first use of the driver, from many threads at once: each
// loads its own driver, then all are released together and speak for the
// first time. Exit code 0 when every thread got exactly the stand-in's
// audio, 1 when one did not, 2 for a bad argument. What went wrong goes to
// standard error, or to REPORT when given.
//   first_use_probe THREADS [REPORT]
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
    const int threads = argc == 2 || argc == 3 ? std::atoi(argv[1]) : 0;
    if (threads < 1 || threads > 64) return 2;
    HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> ready{0};
    std::vector<int> wrong(size_t(threads), 0);
    std::vector<size_t> heard(size_t(threads), 0), expected(size_t(threads), 0);
    std::vector<std::thread> speakers;
    for (int i = 0; i < threads; ++i) {
        speakers.emplace_back([&, i] {
            const request r{"First words of thread " + std::to_string(i) + ".", i % 14, 0, 1.0f, 0, -1};
            engine_driver_ptr driver = load_standin();
            ++ready;
            WaitForSingleObject(start, INFINITE);
            collector sink;
            if (driver) speak(driver.get(), sink, r);
            heard[size_t(i)] = sink.samples.size();
            expected[size_t(i)] = expected_samples(r).size();
            wrong[size_t(i)] = !driver || sink.samples != expected_samples(r);
        });
    }
    while (ready < threads) Sleep(1);
    SetEvent(start);
    for (auto& speaker : speakers) speaker.join();
    CloseHandle(start);
    FILE* report = argc == 3 ? std::fopen(argv[2], "w") : nullptr;
    int failures = 0;
    for (int i = 0; i < threads; ++i) {
        if (!wrong[size_t(i)]) continue;
        std::fprintf(report ? report : stderr, "thread %d: %zu of %zu samples\n", i, heard[size_t(i)],
                     expected[size_t(i)]);
        ++failures;
    }
    if (report) std::fclose(report);
    return failures == 0 ? 0 : 1;
}
