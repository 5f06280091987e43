// Audio through the speech server equals the audio of the engine driver in
// this process, byte for byte, for a spread of texts and parameters. One
// 32-bit program does both sides, so only it and the server start.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine_driver.h"
#include "pipe/pipe_client.h"

using Orvane::engine::engine_driver;
using Orvane::pipe::pipe_client;

namespace {

bool collect(const void* data, uint32_t byte_count, void* context) {
    auto& bytes = *static_cast<std::vector<uint8_t>*>(context);
    auto* in = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), in, in + byte_count);
    return true;
}

}  // namespace

TEST(PipeEquality, ServerAudioEqualsInProcessAudio) {
    auto driver = engine_driver::load(L"o32_tts.dll");
    ASSERT_TRUE(driver);
    pipe_client client;  // finds OrvaneServer.exe beside this program

    const Orvane::engine::synthesis_request cases[] = {
        {"Hello world.", 0, 0, 1.0f, 0, -1},
        {"Hello world.", 12, 0, 1.0f, 0, -1},
        {"Faster and louder", 3, 120, 1.0f, 60, -1},
        {"Slower, softer", 13, -80, 1.0f, -50, -1},
        {"Stretched speech", 6, 0, 1.5f, 0, -1},
        {"Compressed speech", 7, 0, 0.6f, 0, -1},
        {"Own pitch please", 1, 0, 1.0f, 0, 300},
        {"Clamped pitch", 2, 0, 1.0f, 0, 9999},
        {"Caf\xc3\xa9 cr\xc3\xa8me, 42 items!", 9, 10, 1.2f, 10, 120},
        {"", 4, 0, 1.0f, 0, -1},
    };
    for (const auto& s : cases) {
        std::vector<uint8_t> local, remote;
        engine_driver::speak(driver.get(), collect, &local, s);
        bool spoke = client.speak(s, collect, &remote);
        for (int retry = 0; !spoke && retry < 50; ++retry) {  // the first call may launch the server
            Sleep(1000);
            remote.clear();
            spoke = client.speak(s, collect, &remote);
        }
        ASSERT_TRUE(spoke) << s.text;
        if (!s.text.empty()) EXPECT_FALSE(local.empty()) << s.text;
        EXPECT_EQ(local.size(), remote.size()) << s.text;
        EXPECT_TRUE(local == remote) << s.text << " (voice " << s.voice_index << ")";
    }
    client.shutdown_server();
}
