// Start-up and clean-up, their failure paths through the seam, and the notification window.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
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
    // The class is gone too, so the library can start again; a second start without a clean-up fails and
    // cleans up.
    ASSERT_EQ(PtlStartup(nullptr), 0);
    EXPECT_EQ(PtlStartup(nullptr), kWindowFailed);
    EXPECT_EQ(notificationWindow(), nullptr);
    EXPECT_EQ(PtlStartup(nullptr), 0);
    PtlCleanup();
}

// Each failing step of the start answers its code, undoes the socket layer and leaves nothing open, not
// even a window class that would block the next start.
TEST_F(Startup, FailuresUndoWhatWasDone) {
    const int open = os::openTotal();
    // The socket layer's two faults, then the window's two; last, a log file in a missing folder.
    const std::function<void(test::Seam &)> faults[] = {
        [](test::Seam &s) { s.on<&os::Api::WSAStartup>([](WORD, LPWSADATA) { return WSAVERNOTSUPPORTED; }); },
        [](test::Seam &s) { // granted, but not at 2.2
            s.on<&os::Api::WSAStartup>([](WORD, LPWSADATA d) { return d->wVersion = MAKEWORD(1, 1), 0; });
        },
        [](test::Seam &s) { s.failNth<&os::Api::RegisterClassA>(1, 0, ERROR_CLASS_ALREADY_EXISTS); },
        [](test::Seam &s) { s.failNth<&os::Api::CreateWindowExA>(1, nullptr, ERROR_NOT_ENOUGH_MEMORY); }};
    for (size_t i = 0; i <= std::size(faults); ++i) {
        test::Seam seam;
        int cleanups = 0;
        seam.on<&os::Api::WSACleanup>([&] { return ++cleanups, 0; });
        std::optional<test::LogSettings> log;
        if (i < std::size(faults))
            faults[i](seam);
        else
            log.emplace(0x13, test::tempPath("missing_dir") + "\\x.log");
        EXPECT_EQ(PtlStartup(nullptr), i < 2 ? kSocketLayerFailed : i < 4 ? kWindowFailed : kLogFailed) << i;
        EXPECT_EQ(notificationWindow(), nullptr);
        EXPECT_FALSE(logIsOpen());
        EXPECT_EQ(cleanups, 1);
        EXPECT_EQ(os::openTotal(), open);
    }
    ASSERT_EQ(PtlStartup(nullptr), 0);
    PtlCleanup();
}

// Private messages: the second registry's range is silent, the others up to WM_USER + 99 are reported on
// the console; WM_USER itself and those after the range go to the default procedure.
TEST_F(Startup, WindowProcedureMessages) {
    ASSERT_EQ(PtlStartup(nullptr), 0);
    test::Seam seam;
    seam.on<&os::Api::DefWindowProcA>(
        [real = seam.original<&os::Api::DefWindowProcA>()](HWND w, UINT m, WPARAM p, LPARAM l) -> LRESULT {
            return m >= WM_USER ? 42 : real(w, m, p, l);
        });
    const struct {
        UINT message;
        LRESULT result;
        bool reported;
    } cases[] = {{WM_USER + 5, 0, true},
                 {WM_USER + 12, 0, false},
                 {WM_USER + 99, 0, true},
                 {WM_USER + 100, 42, false},
                 {WM_USER, 42, false}};
    for (const auto &c : cases) {
        test::CaptureConsole out;
        EXPECT_EQ(SendMessageA(notificationWindow(), c.message, 7, 0), c.result) << c.message;
        EXPECT_EQ(out.text(), c.reported ? "@@Unkown WM_USER\n" : "") << c.message;
    }
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
