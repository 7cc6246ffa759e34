// Start-up and clean-up, their failure paths through the seam, and the notification window.
#include <gtest/gtest.h>

#include <string>

#include "core/Log.h"
#include "core/Results.h"
#include "core/Startup.h"
#include "ptl/ptl.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

using namespace ptl;

namespace {

struct Sink : SocketSink {
    int calls = 0;
    WPARAM lastSocket = 0;
    LPARAM lastEvent = 0;
    LRESULT WmWsaAsyncSelect(HWND, UINT message, WPARAM w, LPARAM l) override {
        EXPECT_EQ(message, WM_USER + 16);
        ++calls;
        lastSocket = w;
        lastEvent = l;
        return 5; // the window procedure answers 0 whatever the port says
    }
};

class Startup : public ::testing::Test {
protected:
    void SetUp() override { test::clearLogSettings(); }
};

} // namespace

TEST_F(Startup, StartCreatesWindowAndCleanupRemovesIt) {
    int open = os::openTotal();
    ASSERT_EQ(PtlStartup(nullptr), 0);
    HWND w = notificationWindow();
    ASSERT_NE(w, nullptr);
    char cls[32] = {};
    GetClassNameA(w, cls, sizeof cls);
    EXPECT_STREQ(cls, "PtlWinClass");
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_EQ(FindWindowExA(HWND_MESSAGE, nullptr, "PtlWinClass", nullptr), w); // message-only
    EXPECT_EQ(PtlCleanup(), 0);
    EXPECT_EQ(notificationWindow(), nullptr);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(os::openTotal(), open);
    // The class is gone too, so the library can start again.
    ASSERT_EQ(PtlStartup(nullptr), 0);
    EXPECT_EQ(PtlCleanup(), 0);
}

TEST_F(Startup, SecondStartWithoutCleanupFailsAt1020AndCleansUp) {
    ASSERT_EQ(PtlStartup(nullptr), 0);
    EXPECT_EQ(PtlStartup(nullptr), kWindowFailed);
    EXPECT_EQ(notificationWindow(), nullptr);
    EXPECT_EQ(PtlStartup(nullptr), 0);
    PtlCleanup();
}

TEST_F(Startup, SocketLayerFailures) {
    int open = os::openTotal();
    {
        test::Seam seam;
        seam.on<&os::Api::WSAStartup>([](WORD, LPWSADATA) -> int { return WSAVERNOTSUPPORTED; });
        EXPECT_EQ(PtlStartup(nullptr), kSocketLayerFailed);
        EXPECT_EQ(notificationWindow(), nullptr);
    }
    {
        test::Seam seam;
        // Granted, but not at 2.2.
        seam.on<&os::Api::WSAStartup>([](WORD, LPWSADATA d) -> int {
            d->wVersion = MAKEWORD(1, 1);
            return 0;
        });
        EXPECT_EQ(PtlStartup(nullptr), kSocketLayerFailed);
    }
    EXPECT_EQ(os::openTotal(), open);
}

TEST_F(Startup, WindowFailures) {
    int open = os::openTotal();
    {
        test::Seam seam;
        seam.failNth<&os::Api::RegisterClassA>(1, 0, ERROR_CLASS_ALREADY_EXISTS);
        EXPECT_EQ(PtlStartup(nullptr), kWindowFailed);
    }
    {
        test::Seam seam;
        int cleanups = 0;
        seam.on<&os::Api::WSACleanup>([&]() -> int {
            ++cleanups;
            return 0;
        });
        seam.failNth<&os::Api::CreateWindowExA>(1, nullptr, ERROR_NOT_ENOUGH_MEMORY);
        EXPECT_EQ(PtlStartup(nullptr), kWindowFailed);
        EXPECT_EQ(cleanups, 1);
    }
    EXPECT_EQ(os::openTotal(), open);
    // A window that could not be made does not leave its class behind to block the next start.
    ASSERT_EQ(PtlStartup(nullptr), 0);
    PtlCleanup();
}

TEST_F(Startup, WindowProcedureMessages) {
    ASSERT_EQ(PtlStartup(nullptr), 0);
    HWND w = notificationWindow();
    test::CaptureConsole out;
    EXPECT_EQ(SendMessageA(w, WM_USER + 5, 0, 0), 0);
    EXPECT_EQ(out.text(), "@@Unkown WM_USER\n");
    EXPECT_EQ(SendMessageA(w, WM_USER + 12, 7, 0), 0); // second registry: silent
    EXPECT_EQ(SendMessageA(w, WM_USER + 99, 0, 0), 0);
    EXPECT_EQ(out.text(), "@@Unkown WM_USER\n@@Unkown WM_USER\n");
    {
        test::Seam seam;
        int defaults = 0;
        UINT seen = 0;
        seam.on<&os::Api::DefWindowProcA>([&](HWND, UINT m, WPARAM, LPARAM) -> LRESULT {
            ++defaults;
            seen = m;
            return 42;
        });
        EXPECT_EQ(SendMessageA(w, WM_USER + 200, 0, 0), 42);
        EXPECT_EQ(seen, static_cast<UINT>(WM_USER + 200));
        EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 42); // WM_USER itself goes to the default procedure
        EXPECT_EQ(defaults, 2);
    }
    EXPECT_EQ(out.text(), "@@Unkown WM_USER\n@@Unkown WM_USER\n");
    PtlCleanup();
}

TEST_F(Startup, SocketNotificationsRouteThroughTheRegistry) {
    ASSERT_EQ(PtlStartup(nullptr), 0);
    HWND w = notificationWindow();
    test::Seam seam;
    seam.captureDebug();
    Sink first, second;
    RegistSocket(77, &first);
    RegistSocket(77, &second); // the first registration stays
    EXPECT_EQ(SendMessageA(w, WM_USER + 16, 77, FD_READ), 0);
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(first.lastSocket, 77u);
    EXPECT_EQ(first.lastEvent, FD_READ);
    EXPECT_EQ(second.calls, 0);
    test::CaptureConsole out;
    EXPECT_EQ(SendMessageA(w, WM_USER + 16, 78, FD_READ), 0); // unknown socket: nobody, silently
    UnRegistSocket(77);
    EXPECT_EQ(SendMessageA(w, WM_USER + 16, 77, FD_CLOSE), 0);
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(out.text(), "");
    EXPECT_EQ(seam.debugCount("PTL: RegistSocket(77)\n"), 2);
    EXPECT_EQ(seam.debugCount("PTL: UnRegistSocket(77)\n"), 1);
    PtlCleanup();
}
