// Once hooks were installed from a library, unloading that library must
// not leave winmm jumping into freed code.

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <string>

#include "engine/pcm_format.h"
#include "utils/module.h"

namespace {

std::wstring beside_exe(const wchar_t* file_name) { return Orvane::utils::path_beside(nullptr, file_name); }

struct winmm_answers {
    MMRESULT open;
    MMRESULT close_foreign;
    MMRESULT write_foreign;
};

winmm_answers ask_winmm() {
    WAVEFORMATEX format = Orvane::engine::pcm_wave_format();
    HWAVEOUT device = nullptr;
    winmm_answers answers{};
    answers.open = waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL);
    if (answers.open == MMSYSERR_NOERROR) waveOutClose(device);
    const auto foreign = reinterpret_cast<HWAVEOUT>(static_cast<uintptr_t>(0x1234));
    answers.close_foreign = waveOutClose(foreign);
    WAVEHDR header{};
    answers.write_foreign = waveOutWrite(foreign, &header, sizeof header);
    return answers;
}

TEST(DriverPin, HooksOutliveTheUnloadOfTheirLibrary) {
    const winmm_answers before = ask_winmm();

    HMODULE probe = LoadLibraryW(beside_exe(L"orvane_pin_probe.dll").c_str());
    ASSERT_NE(probe, nullptr);
    using probe_fn = uint32_t (*)(const wchar_t*);
    auto speak = reinterpret_cast<probe_fn>(reinterpret_cast<void*>(GetProcAddress(probe, "probe_speak")));
    ASSERT_NE(speak, nullptr);
    EXPECT_GT(speak(beside_exe(L"o32_tts.dll").c_str()), 0u) << "audio captured: the hooks are in place";
    FreeLibrary(probe);

    EXPECT_NE(GetModuleHandleW(L"orvane_pin_probe.dll"), nullptr) << "pinned while its hooks exist";
    const winmm_answers after = ask_winmm();
    EXPECT_EQ(after.open, before.open);
    EXPECT_EQ(after.close_foreign, before.close_foreign);
    EXPECT_EQ(after.write_foreign, before.write_foreign);
}

}  // namespace
