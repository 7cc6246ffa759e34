// Proves the Windows tier runs under Wine: kernel objects, threads and Winsock work.
#include <gtest/gtest.h>

#include <windows.h>
#include <winsock2.h>

#include <thread>

namespace {

TEST(WinSmoke, TickCountRuns) {
    EXPECT_NE(GetTickCount(), 0u);
}

TEST(WinSmoke, EventSignalledByAnotherThreadWakesTheWaiter) {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(ready, nullptr);
    EXPECT_EQ(WaitForSingleObject(ready, 0), static_cast<DWORD>(WAIT_TIMEOUT));

    std::thread signaller([ready] { SetEvent(ready); });
    // Deadline, not a sleep: the wait returns as soon as the other thread signals.
    EXPECT_EQ(WaitForSingleObject(ready, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    signaller.join();
    EXPECT_NE(CloseHandle(ready), 0);
}

TEST(WinSmoke, WinsockStartsAndStops) {
    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    EXPECT_EQ(LOBYTE(data.wVersion), 2);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    EXPECT_NE(s, INVALID_SOCKET);
    if (s != INVALID_SOCKET) {
        EXPECT_EQ(closesocket(s), 0);
    }
    EXPECT_EQ(WSACleanup(), 0);
}

} // namespace
