// The built 32-bit library beside a legacy library whose orvDestroy ends
// every open instance: voices that overlap in time keep speaking while
// others are created and released around them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/pipe/win_support.h"
#include "tests/sapi_engine/library_host.h"
#include "utils/com_apartment.h"
#include "utils/module.h"

using namespace Orvane;
using namespace Orvane::testing;

namespace {

TEST(StrictLegacyLibrary, OverlappingVoicesKeepSpeakingWhileOthersComeAndGo) {
    utils::com_apartment apartment;
    const std::wstring folder = temp_folder(L"orvane-strict");
    const std::wstring library = folder + L"\\OrvaneSAPI.dll", legacy = folder + L"\\o32_tts.dll";
    ASSERT_TRUE(CopyFileW(staged_file(L"OrvaneSAPI.dll").c_str(), library.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(utils::path_beside(nullptr, L"o32_tts_destroy_ends_all.dll").c_str(), legacy.c_str(), FALSE));
    {
        library_host host(library);
        worker_thread first_thread, second_thread;
        auto spoken_bytes = [](worker_thread& thread, ISpTTSEngine* engine) {
            sapi_host::engine_site site;
            HRESULT hr = E_FAIL;
            thread.run([&] { hr = speak_text(engine, L"Still here.", site); });
            return hr == S_OK ? site.audio.size() : 0;
        };
        auto lyra = host.create_engine(L"Lyra");
        auto tobin = host.create_engine(L"Tobin");
        const size_t full = spoken_bytes(first_thread, lyra.get());
        ASSERT_GT(full, 0u);
        EXPECT_EQ(spoken_bytes(second_thread, tobin.get()), full);

        auto nana = host.create_engine(L"Nana");
        EXPECT_EQ(spoken_bytes(first_thread, nana.get()), full);
        lyra = {};
        EXPECT_EQ(spoken_bytes(second_thread, tobin.get()), full) << "after Lyra was released";
        EXPECT_EQ(spoken_bytes(first_thread, nana.get()), full) << "after Lyra was released";
        tobin = {};
        EXPECT_EQ(spoken_bytes(second_thread, nana.get()), full) << "after Tobin was released";
        nana = {};
        auto greta = host.create_engine(L"Greta");
        EXPECT_EQ(spoken_bytes(first_thread, greta.get()), full) << "a voice made after all others went";
    }
    DeleteFileW(library.c_str());
    DeleteFileW(legacy.c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
