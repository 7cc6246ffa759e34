// HID ports against simulated HID devices: HID.DLL handed out through the seam beside SETUPAPI.DLL, each
// device's data path a real named pipe.
#include <gtest/gtest.h>

#include "UsbSims.h"
#include "ptl/ptl.h"
#include "sim/SimComm.h"
#include "usb/HidApi.h"
#include "usb/WHidIbmTI4.h"

namespace ptl {
namespace {

using namespace std::string_literals;

const GUID kHidGuid = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
struct HidDev {
    uint16_t vid, pid, usage, in, out, feature;
    bool held = false, noPreparsed = false; // held: open elsewhere, so the probe cannot open it
};
// Near misses (vendor; product: the M4 device; usage only on the usage page; held; no preparsed data), two
// TI4 devices (5, 6), the ALD device (7).
const std::vector<HidDev> kDevices = {{0x1234, 0x4535, 0x3500, 20, 1024, 258},
                                      {0x04B3, 0x4533, 0x3500, 8, 8, 8},
                                      {0x04B3, 0x4535, 0x0001, 20, 1024, 258},
                                      {0x04B3, 0x4535, 0x3500, 20, 1024, 258, true},
                                      {0x04B3, 0x4535, 0x3500, 20, 1024, 258, false, true},
                                      {0x04B3, 0x4535, 0x3500, 20, 1024, 258},
                                      {0x04B3, 0x4535, 0x3500, 30, 512, 16},
                                      {0x4B56, 0x0311, 0xFFFF, 64, 64, 0}};

struct HidWorld {
    test::Seam seam;
    test::SimSetupDi setup{seam};
    std::vector<HidDev> devs;
    std::vector<std::unique_ptr<test::SimDriver>> drivers;
    int preparsedLive = 0, baseline = 0;
    std::vector<std::pair<int, ULONG>> features; // byte 0 and length of each feature report asked for
    static inline HidWorld *now = nullptr;

    explicit HidWorld(std::vector<HidDev> list) : devs(std::move(list)) {
        now = this;
        for (size_t i = 0; i < devs.size(); ++i) {
            setup.interfaces.push_back({kHidGuid, "\\\\?\\hid#" + std::to_string(i)});
            drivers.push_back(std::make_unique<test::SimDriver>(seam, setup.interfaces.back().second));
            drivers.back()->unplugged = devs[i].held;
        }
        setup.libraries["HID.DLL"] = {reinterpret_cast<HMODULE>(0x5E710000),
                                      {{"HidD_GetHidGuid", FARPROC(guid)},
                                       {"HidD_GetAttributes", FARPROC(attributes)},
                                       {"HidD_GetPreparsedData", FARPROC(preparsed)},
                                       {"HidP_GetCaps", FARPROC(caps)},
                                       {"HidD_FreePreparsedData", FARPROC(freeData)},
                                       {"HidD_GetFeature", FARPROC(feature)}}};
        GUID g;
        hid::getHidGuid(&g); // loaded once and kept: counted before the baseline
        baseline = os::openTotal();
    }
    static HidDev *dev(HANDLE h) {
        for (size_t i = 0; i < now->drivers.size(); ++i)
            if (now->drivers[i].get() == test::SimDriver::owner(h))
                return &now->devs[i];
        return nullptr;
    }
    static void WINAPI guid(LPGUID g) { *g = kHidGuid; }
    static BOOLEAN WINAPI attributes(HANDLE h, PHIDD_ATTRIBUTES a) {
        HidDev *d = dev(h);
        return d != nullptr && a->Size == 12 && (a->VendorID = d->vid, a->ProductID = d->pid, true);
    }
    static BOOLEAN WINAPI preparsed(HANDLE h, PHIDP_PREPARSED_DATA *p) {
        HidDev *d = dev(h);
        *p = reinterpret_cast<PHIDP_PREPARSED_DATA>(d);
        return d != nullptr && !d->noPreparsed && ++now->preparsedLive;
    }
    static NTSTATUS WINAPI caps(PHIDP_PREPARSED_DATA p, PHIDP_CAPS c) {
        const auto *d = reinterpret_cast<const HidDev *>(p);
        *c = HIDP_CAPS{d->usage, 0x3500, d->in, d->out, d->feature, {}, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        return HIDP_STATUS_SUCCESS;
    }
    static BOOLEAN WINAPI freeData(PHIDP_PREPARSED_DATA) { return now->preparsedLive--, TRUE; }
    static BOOLEAN WINAPI feature(HANDLE, PVOID b, ULONG n) {
        return now->features.push_back({static_cast<uint8_t *>(b)[0], n}), TRUE;
    }
    std::unique_ptr<WPort> claimed(int type, int result = 0) {
        auto p = test::newPortAs<WPort>(type, 0);
        EXPECT_EQ(p->claim(0), result) << type;
        return p;
    }
};

// The first matching device, whatever the number; M4 only claims; ALD reads and writes through the handle.
TEST(Hid, DiscoveryM4AndAld) {
    HidWorld w(kDevices);
    const int h = PtlOpenByName("IBMTI41", 0);
    EXPECT_EQ(PtlClaim(h, 0), 0);
    PtlClose(h);
    EXPECT_EQ(w.drivers[5]->opens, 2); // probe and claim
    EXPECT_EQ(w.drivers[6]->opens + w.drivers[2]->opens + w.drivers[4]->opens, 0 + 1 + 1);
    auto m4 = w.claimed(0x23), ald = w.claimed(0x24);
    int n = 5;
    char buf[8] = {};
    EXPECT_TRUE(m4->send("x", 1, &n, 0, 0, 0) == -1 && n == 0 && m4->recv(buf, 8, &n, 0) == -1);
    EXPECT_TRUE(ald->send("hello", 5, &n, 0, 0, 0) == 0 && n == 5);
    EXPECT_TRUE(w.drivers[7]->waitReceived(5) && w.drivers[7]->received() == "hello");
    w.drivers[7]->feed("ok");
    EXPECT_TRUE(ald->recv(buf, 8, &n, 0) == 0 && std::string(buf, n) == "ok");
    EXPECT_TRUE(m4->release(0) == 0 && ald->release(0) == 0 && w.drivers[7]->opens == 2);
    EXPECT_TRUE(w.preparsedLive == 0 && w.setup.liveLists == 0 && w.setup.sizesOk);
    EXPECT_EQ(os::openTotal(), w.baseline) << os::openReport();
    w.setup.libraries["HID.DLL"].missing = true; // without SETUPAPI.DLL: Usb.TargetsClaimTheirDeviceOr1013
    for (int type : {0x22, 0x23, 0x24})
        w.claimed(type, 1013);
}

std::vector<int> reports;

// One framed report per send, exactly the output report long; input reports only counted; recv asks for
// feature report 1 and answers -1; release does not wait.
TEST(Hid, Ti4SendsFramedReportsAndCountsInputReports) {
    HidWorld w(kDevices);
    auto port = w.claimed(0x22);
    const struct {
        int len;
        std::string head;
    } rows[] = {{0, "\x02\x04\0\x01\0\0\0"s},
                {250, "\x02\xFE\0\x01\0\0\0"s},
                {251, "\x01\xFF\0\x01\0\0\0"s},
                {1016, "\x01\xFC\x03\x01\0\0\0"s}};
    std::string want;
    int n = -1;
    for (const auto &r : rows) {
        const std::string data = test::testBytes(static_cast<size_t>(r.len), r.len);
        EXPECT_TRUE(port->send(data.data(), r.len, &n, 0, 0, 0) == 0 && n == 1024) << r.len;
        want += r.head + data + std::string(1024 - 7 - data.size(), '\0');
    }
    EXPECT_TRUE(port->send(want.data(), 1017, &n, 0, 0, 0) == 1220 && n == 0);
    EXPECT_TRUE(w.drivers[5]->waitReceived(want.size()) && w.drivers[5]->received() == want);
    reports.clear();
    port->recvHook = [](WPort *, int n) { reports.push_back(n); };
    w.drivers[5]->feed(std::string(20, 'r'));
    EXPECT_TRUE(test::waitUntil([] { return reports == std::vector<int>{20}; }));
    char buf[4] = "abc";
    n = 7;
    EXPECT_TRUE(port->recv(buf, 4, &n, 0) == -1 && buf == "abc"s && n == 7);
    EXPECT_EQ(w.features, (std::vector<std::pair<int, ULONG>>{{1, 258}}));
    EXPECT_EQ(port->release(5000), 0);
    EXPECT_EQ(os::openTotal(), w.baseline) << os::openReport();
}

// Report lengths beyond the port's buffers, or an output report too short for the frame, are refused at
// claim; data that would not fit the device's output report are refused at send.
TEST(Hid, Ti4RefusesReportLengthsItCannotServe) {
    const struct {
        uint16_t in, out, feature;
        int claim;
    } rows[] = {{20, 1025, 258, 1014},
                {20, 1024, 259, 1014},
                {1025, 1024, 258, 1014},
                {20, 6, 8, 1014},
                {1024, 64, 8, 0}};
    for (const auto &r : rows) {
        HidWorld w({{0x04B3, 0x4535, 0x3500, r.in, r.out, r.feature}});
        int n = 0;
        const std::string data(58, 'd');
        {
            auto port = w.claimed(0x22, r.claim);
            EXPECT_EQ(port->send(data.data(), 57, &n, 0, 0, 0), r.claim ? 1101 : 0);
            EXPECT_EQ(port->send(data.data(), 58, &n, 0, 0, 0), r.claim ? 1101 : 1220);
        }
        EXPECT_EQ(os::openTotal(), w.baseline) << os::openReport();
    }
}

} // namespace
} // namespace ptl
