// Hooks and the window class are set up once per process by whichever
// thread speaks first; threads that speak at that same moment must wait
// for it, not play to the sound card. Each run is a fresh process.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/engine/driver_fixture.h"
#include "tests/pipe/win_support.h"

using namespace Orvane::testing;

TEST(DriverFirstUse, ManyThreadsSpeakingAtOnceAllGetTheirAudio) {
    const std::wstring probe = Orvane::engine::testing::beside_exe(L"first_use_probe.exe");
    const std::wstring report = temp_folder(L"orvane-first-use") + L"\\report.txt";
    constexpr int runs = 20;
    int failed = 0;
    for (int run = 0; run < runs; ++run) {
        DeleteFileW(report.c_str());
        const process_result result = wait_process(start_process(probe, L"12 \"" + report + L"\""));
        ASSERT_TRUE(result.exited) << "run " << run;
        if (result.exit_code == 0) continue;
        ++failed;
        std::string what;
        if (FILE* in = _wfopen(report.c_str(), L"r")) {
            for (int c; (c = std::fgetc(in)) != EOF;) what += char(c);
            std::fclose(in);
        }
        ADD_FAILURE() << "run " << run << ": exit code " << result.exit_code << "\n" << what;
    }
    DeleteFileW(report.c_str());
    RemoveDirectoryW(report.substr(0, report.find_last_of(L'\\')).c_str());
    EXPECT_EQ(failed, 0) << "of " << runs << " processes with 12 threads each";
}
