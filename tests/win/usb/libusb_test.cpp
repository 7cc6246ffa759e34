// libusb ports against the fake libusb0.dll (tests/fakes/libusb0), loaded by the library through the real
// LoadLibraryA: the claim sequence and its failures, transfers and their arguments, the threaded drain and
// stop.
#include <gtest/gtest.h>

#include "UsbSims.h"
#include "fakes/libusb0/FakeLibusb.h"
#include "port/WPort.h"
#include "ptl/ptl.h"
#include "sim/SimComm.h"

namespace ptl {
namespace {

using namespace std::string_literals;

// The fake's printer, emptied, with that many printers on its second bus.
FakeLibusb &printer(int printers = 1, int chunk = 0, int writeMs = 0) {
    static FakeLibusb *fake =
        reinterpret_cast<FakeLibusb *(*)()>(GetProcAddress(LoadLibraryA("libusb0.dll"), "fake_libusb"))();
    memset(static_cast<void *>(fake), 0, sizeof *fake);
    fake->printers = printers, fake->chunk = chunk, fake->writeMs = writeMs;
    return *fake;
}
std::string delivered(const FakeLibusb &f) {
    return std::string(f.data, static_cast<size_t>(f.received));
}
void answer(FakeLibusb &f, const char *bytes) {
    memcpy(f.answer, bytes, strlen(bytes));
    f.answerLen = static_cast<int>(strlen(bytes));
}

TEST(Libusb, ClaimOpensTheFirstMatchingPrinterOr1014) {
    const struct {
        const char *target;
        int mode, printers, failAt, result;
        const char *calls; // after "init busses devices ": the claim, then PtlClose's release
    } rows[] = {{"LIBUSB", 0, 0, 0, 1014, ""},
                {"LIBUSB7", 0, 2, 0, 0, "open(3) config(1) claim(0) release(0) close "},
                {"LIBUSB", 2, 2, 1, 1014, "open(3) "},
                {"LIBUSB", 0, 1, 2, 1014, "open(3) config(1) release(0) close "},
                {"LIBUSB", 0, 1, 3, 1014, "open(3) config(1) claim(0) release(0) close "},
                {"LIBUSB3", 1, 2, 0, 0, "open(3) config(1) claim(0) close "},
                {"LIBUSB", 1, 1, 2, 1014, "open(3) config(1) close "}};
    for (const auto &r : rows) {
        FakeLibusb &f = printer(r.printers);
        f.failAt = r.failAt;
        const int h = PtlOpenByName(r.target, r.mode);
        EXPECT_TRUE(PtlGetIFType(h) == 20 && PtlGetIFName(h) == "LIBUSB"s);
        EXPECT_EQ(PtlClaim(h, 0), r.result) << r.target << r.mode << r.failAt;
        PtlClose(h);
        EXPECT_EQ(f.calls, "init busses devices "s + r.calls);
    }
    // Without its functions (the library is kept once loaded: a missing one answers the same way).
    test::Seam seam;
    seam.on<&os::Api::GetProcAddress>([o = seam.original<&os::Api::GetProcAddress>()](HMODULE m, LPCSTR n) {
        return strncmp(n, "usb_", 4) == 0 ? FARPROC{} : o(m, n);
    });
    FakeLibusb &f = printer();
    for (int mode : {0, 1})
        EXPECT_EQ(test::newPortAs<WPort>(0x1a, mode)->claim(0), 1014);
    EXPECT_EQ(f.calls, ""s);
}

TEST(Libusb, SyncTransfersPassTheirEndpointsAndTimeOuts) {
    FakeLibusb &f = printer(1, 3);
    auto port = test::newPortAs<WPort>(0x1a, 0);
    int n = 0;
    char buf[8];
    EXPECT_EQ(port->send("0123456789", 10, &n, 0, 0, 0), 1101); // not claimed
    ASSERT_EQ(port->claim(0), 0);
    EXPECT_TRUE(port->send("0123456789", 10, &n, 0, 0, 0) == 0 && n == 3 && delivered(f) == "012");
    EXPECT_TRUE(f.writeArgs[0] == 0x01 && f.writeArgs[1] == 5000);
    n = 9;
    EXPECT_TRUE(port->recv(buf, 8, &n, 0) == 1102 && n == 0); // after the fake's 500 ms wait
    EXPECT_TRUE(f.readArgs[0] == 0x82 && f.readArgs[1] == 500);
    answer(f, "pong");
    EXPECT_TRUE(port->recv(buf, 8, &n, 0) == 0 && std::string(buf, n) == "pong");
}

// The drain follows the bytes moved: a printer that takes 256 bytes every 30 ms (a 4096-byte block in 480 ms)
// gets the whole job within a 250 ms time-out; one that takes nothing is given up with 1019.
TEST(Libusb, ThreadedReleaseDrainsWhileBytesMove) {
    const std::string data = test::testBytes(8192);
    for (int chunk : {256, -1}) {
        FakeLibusb &f = printer(1, chunk, chunk > 0 ? 30 : 0);
        auto port = test::newPortAs<WPort>(0x1a, 1);
        int n = 0;
        ASSERT_EQ(port->claim(0) + port->send(data.data(), 8192, &n, 0, 0, 0), 0);
        EXPECT_EQ(port->release(250), chunk > 0 ? 0 : 1019);
        EXPECT_TRUE(delivered(f) == (chunk > 0 ? data : ""));
    }
}

TEST(Libusb, ThreadedReceivesAndStopWaitsForTheWriteInProgress) {
    FakeLibusb &f = printer(1, 0, 300);
    auto port = test::newPortAs<WPort>(0x1a, 1);
    const int baseline = os::openTotal();
    ASSERT_EQ(port->claim(0), 0);
    answer(f, "pong");
    std::string got;
    EXPECT_TRUE(test::waitUntil([&] {
        char b[8];
        int n = 0;
        return port->recv(b, sizeof b, &n, 0) == 0 && got.append(b, n) == "pong";
    }));
    int n = 0;
    port->send("abc", 3, &n, 0, 0, 0);
    ASSERT_TRUE(test::waitUntil([&] { return f.writesStarted == 1; }));
    EXPECT_EQ(port->release(0), 0);
    EXPECT_EQ(f.writesEnded, 1); // the stop waited for the write
    EXPECT_EQ(os::openTotal(), baseline) << os::openReport();
}

} // namespace
} // namespace ptl
