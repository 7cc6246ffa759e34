// USB and printer-class device ports against the simulated SetupAPI and drivers: discovery and its
// filter, every driver request's code, input and output size, force's polling, the threaded variants'
// drain, failed-write count and claim failures, and whole rawpush runs to each target.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <tuple>

#include "UsbSims.h"
#include "ptl/ptl.h"
#include "sim/SimComm.h"
#include "support/TestUtil.h"
#include "usb/WVqusb.h"

namespace ptl {
namespace {

using namespace std::string_literals;
using test::kVqPath;
using test::sendRun;
using test::UsbWorld;
using Results = std::vector<int>; // a braced list of calls runs them in order

std::unique_ptr<WPort> claimed(int type, int mode) {
    auto p = test::newPortAs<WPort>(type, mode);
    p->setPortNo(type == 0x1c ? 1 : 0);
    EXPECT_EQ(p->claim(0), 0);
    return p;
}

// One request by letter: reset, queryDriver, queryDeviceWord, queryDeviceState, setDeviceState(0x1234),
// force(1), force(0), getLptStatus, get1284Id(64 bytes), vendorSet/GetCommand, softReset.
unsigned u32;
unsigned short u16;
unsigned char u8;
char id64[64];
const std::map<char, std::function<int(WPort &)>> kIssue = {
    {'r', [](WPort &p) { return p.reset(); }},
    {'d', [](WPort &p) { return p.queryDriver(&u32); }},
    {'w', [](WPort &p) { return p.queryDeviceWord(&u16); }},
    {'s', [](WPort &p) { return p.queryDeviceState(&u16); }},
    {'S', [](WPort &p) { return p.setDeviceState(0x1234); }},
    {'f', [](WPort &p) { return p.force(1); }},
    {'F', [](WPort &p) { return p.force(0); }},
    {'l', [](WPort &p) { return p.getLptStatus(&u8); }},
    {'i', [](WPort &p) { return p.get1284Id(id64, 64); }},
    {'v', [](WPort &p) { return p.vendorSetCommand(); }},
    {'g', [](WPort &p) { return p.vendorGetCommand(); }},
    {'x', [](WPort &p) { return p.softReset(); }}};

TEST(Usb, DiscoveryCountsOnlyPathsThatPassTheFilterAndSkipsOverlongOnes) {
    UsbWorld w;
    const std::string a = "\\\\?\\usb#vid_4b56&pid_0195#a", b = "\\\\?\\USB#VID_1234&PID_0001#b",
                      c = "\\\\?\\usb#vid_4b56&pid_0202#c", d = "\\\\?\\USB#Vid_4B56&Pid_0195#d";
    w.setup.interfaces.clear();
    for (const std::string &p : {a, b, a + std::string(240, 'x'), c, d})
        w.setup.interfaces.push_back({kMakerUsbDriverGuid, p});
    w.setup.interfaces.push_back({kUsbPrintClassGuid, a});
    const struct {
        uint16_t vid, pid;
        int index;
        std::string want;
    } cases[] = {{0, 0, 0, a},      {0, 0, 1, b},           {0, 0, 2, c},      {0, 0, 3, d},
                 {0, 0, 4, ""},     {0x4b56, 0, 1, c},      {0x4b56, 0, 2, d}, {0x4b56, 0x0195, 1, d},
                 {0x1234, 0, 0, b}, {0x4b56, 0x0195, 2, ""}};
    for (const auto &k : cases) {
        WVqusb port;
        port.setVendorId(k.vid);
        port.setProductId(k.pid);
        char out[kUsbPathSize] = "junk";
        EXPECT_EQ(port.devicePath(out, kMakerUsbDriverGuid, k.index), !k.want.empty());
        EXPECT_EQ(out, k.want) << k.vid << "/" << k.pid << " #" << k.index;
    }
    EXPECT_TRUE(w.setup.flags == 0x12 && w.setup.sizesOk && w.setup.liveLists == 0 && w.setup.loads == 10);
    EXPECT_EQ(os::openTotal(), w.baseline) << os::openReport();
}

TEST(Usb, TargetsClaimTheirDeviceOr1013) {
    UsbWorld w;
    const struct {
        const char *target;
        int mode, result, device; // the interface type of the device opened, -1 for none
    } cases[] = {{"VQUSB", 0, 0, 0x14},    {"VQUSB1", 0, 1013, -1}, {"VQUSB2", 1, 1013, -1},
                 {"XDUSB", 0, 0, 0},       {"XDUSB0", 1, 0, 0},     {"USBPRN", 1, 0, 0x16},
                 {"USBPRN1", 0, 1013, -1}, {"VQPRN1", 0, 1013, -1}, {"XDPRN", 0, 0, 0x15},
                 {"VQLPT1", 0, 0, 0x1c},   {"VQLPT33", 1, 1013, -1}};
    const std::map<char, std::string> names = {
        {'U', "VQUSB"}, {'P', "VQPRN"}, {'L', "VQLPT"}, {'B', "USBPRN"}};
    for (const auto &k : cases) {
        const int before = k.device < 0 ? 0 : w.device(k.device).opens.load();
        const int h = PtlOpenByName(k.target, k.mode);
        EXPECT_EQ(PtlClaim(h, 0), k.result) << k.target;
        EXPECT_EQ(k.device < 0 ? 0 : w.device(k.device).opens - before, k.device < 0 ? 0 : 1) << k.target;
        EXPECT_EQ(PtlGetIFName(h), names.at(k.target[2]));
        PtlClose(h);
    }
    w.setup.missing = true;
    for (const char *t : {"VQUSB", "USBPRN", "VQPRN"}) {
        const int h = PtlOpenByName(t, 0);
        EXPECT_EQ(PtlClaim(h, 0), 1013) << t;
        PtlClose(h);
    }
    EXPECT_EQ(os::openTotal(), w.baseline) << os::openReport();
}

TEST(Usb, PathIsKeptAfterReleaseSoAnUnpluggedDeviceGives1014) {
    UsbWorld w;
    auto port = claimed(0x14, 0);
    EXPECT_EQ((Results{port->claim(0), port->release(0), port->release(0)}), (Results{0, 0, 0})); // reopens
    w.vq.unplugged = true;
    char line[400];
    EXPECT_EQ((Results{port->claim(0), w.setup.lists, w.vq.opens, port->getName(line)}),
              (Results{1014, 1, 2, 0}));
    EXPECT_EQ(line, kVqPath);
}

// One request per row: the exact code, input and output size, then the result when the driver refuses it.
TEST(Usb, EachRequestCarriesItsCodeInputAndOutputSize) {
    const struct {
        int type;
        char op;
        DWORD code;
        std::string in;
        DWORD out;
        int fail;
    } rows[] = {
        {0x14, 'r', 0x2221FC, "", 0, 1105},
        {0x14, 'd', 0x222000, "", 4, 10000},
        {0x14, 'w', 0x2220C0, "", 2, 10000},
        {0x14, 's', 0x2220C4, "", 2, 10000},
        {0x14, 'S', 0x2220C8, "\x34\x12", 0, 10000},
        {0x14, 'f', 0x2220C8, "\x02\0"s, 0, 10000},
        {0x15, 'r', 0x220038, "\x7F\0\0"s, 0, 1040},
        {0x15, 'w', 0x22003C, "\0\0\0"s, 2, 1040},
        {0x15, 's', 0x22003C, "\x01\0\0"s, 4, 1040},
        {0x15, 'S', 0x220038, "\x02\x12\x34", 0, 1040},
        {0x15, 'f', 0x220038, "\x02\0\x02"s, 0, 1103},
        {0x16, 'l', 0x220030, "", 1, 1040},
        {0x16, 'i', 0x220034, "", 64, 1040},
        {0x16, 'v', 0x220038, "", 48, 1040},
        {0x16, 'g', 0x22003C, "", 32, 1040},
        {0x16, 'x', 0x220040, "", 0, 1040},
        {0x1c, 'f', 0x9C402404, "\x01\0\0\0"s, 0, 10000},
        {0x1c, 'F', 0x9C402404, "\0\0\0\0"s, 0, 10000},
    };
    for (const auto &r : rows) {
        UsbWorld w;
        auto port = claimed(r.type, 0);
        test::SimDriver &dev = w.device(r.type);
        SCOPED_TRACE(testing::Message() << std::hex << r.type << " " << r.code);
        EXPECT_EQ(kIssue.at(r.op)(*port), 0);
        ASSERT_EQ(dev.requests.size(), 1u);
        const auto &q = dev.requests[0];
        EXPECT_EQ(std::tuple(q.code, q.input, q.outputSize, q.overlapped),
                  std::tuple(r.code, r.in, r.out, false));
        EXPECT_TRUE((r.op != 'v' && r.op != 'g') || q.outputIn == std::string(r.out, '\xFF'));
        dev.refused.insert(r.code);
        EXPECT_EQ(kIssue.at(r.op)(*port), r.fail);
    }
}

TEST(Usb, ForceZeroPollsUntilTheBusyBitClears) {
    const struct {
        int type, busy, result, sleeps;
    } rows[] = {{0x14, 3, 0, 3}, {0x14, -1, 1103, 1000}, {0x15, 2, 0, 2}, {0x15, -1, 1103, 1000}};
    for (const auto &r : rows) {
        UsbWorld w;
        int sleeps = 0;
        w.seam.on<&os::Api::Sleep>([&](DWORD ms) { sleeps += ms == 50 ? 1 : 1000000; });
        auto port = claimed(r.type, 0);
        test::SimDriver &dev = w.device(r.type);
        dev.busy = r.busy;
        EXPECT_EQ((Results{port->force(0), sleeps}), (Results{r.result, r.sleeps})) << r.type;
        ASSERT_EQ(dev.requests.size(), 2u * static_cast<size_t>(r.result == 0 ? r.sleeps + 1 : 1000));
        EXPECT_EQ(dev.requests[0].input, r.type == 0x14 ? "\0\0"s : "\x02\0\0"s);
        dev.refused.insert(r.type == 0x14 ? 0x2220C4 : 0x22003C);
        EXPECT_EQ(port->force(0), 1103);
    }
}

// Requests travel with an OVERLAPPED of their own, release leaves nothing open (sends and the drain:
// SendRunsToEveryTarget; receiving: the engine's and ptlquery's tests).
TEST(Usb, ThreadedPortsRequestsPurgesAndRelease) {
    for (int type : {0x14, 0x15, 0x16, 0x1c}) {
        UsbWorld w;
        SCOPED_TRACE(type);
        std::vector<DWORD> purges;
        w.seam.on<&os::Api::PurgeComm>([&](HANDLE, DWORD f) { return purges.push_back(f), TRUE; });
        auto port = claimed(type, 1);
        test::SimDriver &dev = w.device(type);
        EXPECT_EQ(kIssue.at(type == 0x14 || type == 0x1c ? 'f' : 'x')(*port), 0);
        EXPECT_TRUE(dev.requests.back().overlapped);
        EXPECT_EQ(port->clearRecv(), 0);
        EXPECT_EQ(purges, type == 0x1c ? std::vector<DWORD>{PURGE_RXCLEAR} : std::vector<DWORD>{});
        EXPECT_EQ(port->release(5000), 0);
        EXPECT_EQ(os::openTotal(), w.baseline) << os::openReport();
    }
}

std::vector<int> hookCounts;

// The threaded claim's one request is the timing block; a failed write advances by the driver's count.
TEST(Usb, ThreadedClaimsTimingBlockAndFailedWrites) {
    const std::string timing = "\x05\0\0\0\x32\0\0\0\x05\0\0\0\xD0\x07\0\0"s + std::string(16, '\0');
    const struct {
        int fails;
        std::string count;
        std::string arrives;
        std::vector<int> hooks;
    } rows[] = {{1, "\x03\0\0\0"s, "3456789", {3, 7}}, {2, "\0\0\0\0"s, "0123456789", {10}}};
    for (const auto &r : rows) {
        UsbWorld w;
        hookCounts.clear();
        auto port = claimed(0x14, 1);
        ASSERT_EQ(w.vq.requests.size(), 1u);
        EXPECT_EQ(std::tuple(w.vq.requests[0].code, w.vq.requests[0].input), std::tuple(0x222010ul, timing));
        port->sendHook = [](WPort *, int written, int, int) { hookCounts.push_back(written); };
        w.vq.failWrites = r.fails;
        w.vq.answers[0x222100] = r.count;
        int n = 0;
        port->send("0123456789", 10, &n, 0, 0, 0);
        EXPECT_TRUE(w.vq.waitReceived(r.arrives.size()));
        EXPECT_EQ(port->release(5000), 0);
        EXPECT_EQ(w.vq.received(), r.arrives);
        EXPECT_EQ(hookCounts, r.hooks);
    }
}

TEST(Usb, FailedThreadedClaimsLeaveNothingOpen) {
    const struct {
        int result;
        std::function<void(UsbWorld &, WPort &)> arrange;
    } rows[] = {
        {1013, [](UsbWorld &w, WPort &) { w.setup.interfaces.clear(); }},
        {1014, [](UsbWorld &w, WPort &) { w.vq.unplugged = true; }},
        {10000, [](UsbWorld &w, WPort &) { w.vq.refused.insert(0x222010); }},
    };
    for (const auto &r : rows) {
        UsbWorld w;
        auto port = test::newPortAs<WPort>(0x14, 1);
        port->setPortNo(0);
        r.arrange(w, *port);
        EXPECT_EQ((Results{port->claim(0), port->isClaimed(), w.vq.isOpen()}), (Results{r.result, 0, 0}));
        EXPECT_EQ(os::openTotal(), w.baseline) << r.result << os::openReport();
    }
}

// Whole rawpush runs, synchronous and threaded: the bytes arrive unchanged; a failing force(0) ends the
// run with 1 before any data.
TEST(Usb, SendRunsToEveryTarget) {
    test::clearLogSettings();
    const std::string data = test::testBytes(50000, 7), file = test::jobFile("usb_job.bin", data);
    const std::pair<const char *, int> targets[] = {
        {"VQUSB0", 0x14}, {"XDUSB0", 0}, {"USBPRN0", 0x16}, {"VQPRN0", 0x15}, {"VQLPT1", 0x1c}};
    for (const auto &[target, type] : targets)
        for (const char *mode : {"-b96", "-a"})
            for (bool failForce : {false, type == 0x14}) {
                SCOPED_TRACE(std::string(target) + mode + (failForce ? " failing force" : ""));
                UsbWorld w;
                test::SimDriver &dev = w.device(type);
                dev.busy = failForce ? -1 : 0;
                if (failForce) // force(0)'s thousand polls take no time
                    w.seam.on<&os::Api::Sleep>([](DWORD) {});
                EXPECT_EQ(sendRun({mode, file, target}), failForce ? 1 : 0);
                const std::string want = failForce ? "" : data;
                EXPECT_TRUE(dev.waitReceived(want.size()) && dev.received() == want);
                EXPECT_EQ(os::openTotal(), w.baseline) << os::openReport();
            }
}

} // namespace
} // namespace ptl
