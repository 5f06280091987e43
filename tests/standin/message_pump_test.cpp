#include <gtest/gtest.h>

#include <windows.h>

#include "standins/o32_tts/message_pump.h"

using Orvane::standin::message_pump;

namespace {

int buffer_done_count = 0;
bool repost = false;  // the window keeps itself busy by posting again from its handler

LRESULT CALLBACK counting_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_USER + 1) {
        ++buffer_done_count;
        if (repost) PostMessageW(window, WM_USER + 1, 0, 0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

struct window_holder {
    HWND window = nullptr;
    ~window_holder() {
        if (window) DestroyWindow(window);
    }
};

HWND create_counting_window() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = counting_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"orvane_pump_test";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

void drain_queue() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {}
}

TEST(MessagePump, DispatchesPostedMessagesToTheirWindow) {
    window_holder holder{create_counting_window()};
    ASSERT_NE(holder.window, nullptr);
    buffer_done_count = 0;
    for (int i = 0; i < 3; ++i) PostMessageW(holder.window, WM_USER + 1, 0, 0);
    message_pump pump;
    pump.wait(1000);
    EXPECT_EQ(buffer_done_count, 3);
    pump.wait(1);  // an empty queue only sleeps
    EXPECT_EQ(buffer_done_count, 3);
}

TEST(MessagePump, AWindowThatPostsToItselfDoesNotHoldThePump) {
    window_holder holder{create_counting_window()};
    ASSERT_NE(holder.window, nullptr);
    buffer_done_count = 0;
    repost = true;
    PostMessageW(holder.window, WM_USER + 1, 0, 0);
    message_pump pump;
    pump.wait(1);  // returns, so the player gets to check its deadline
    repost = false;
    EXPECT_GT(buffer_done_count, 0);
    drain_queue();
}

TEST(MessagePump, AQuitArrivingWhilePumpingIsPostedAgainAfterwards) {
    drain_queue();
    {
        message_pump pump;
        PostQuitMessage(7);
        pump.wait(1);
        pump.wait(1);  // does not keep seeing the same quit
        EXPECT_TRUE(pump.quit_seen());
    }
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "posted once only";
}

}  // namespace
