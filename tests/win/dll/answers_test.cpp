// The printer's answers, status and identity through the public functions, on each port kind that has a
// simulator: what the device set, -1 where a kind has nothing, 1001 and 1030, and the receive time-out on
// the virtual clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ptl/ptl.h"
#include "sim/SimComm.h"
#include "win/usb/UsbSims.h"

namespace ptl {
namespace {

// One simulator per world: two that replace the same system calls would each take the other for the
// system.
struct World {
    std::unique_ptr<test::VirtualClock> clock; // first: its entries outlive every port thread's use
    std::unique_ptr<test::UsbWorld> usb;
    std::unique_ptr<test::Seam> seam;
    std::unique_ptr<test::SimComm> line; // after its seam: it goes first
    explicit World(const char *target) {
        const std::string t = target ? target : "";
        if (t.rfind("COM", 0) == 0 || t.rfind("LPT", 0) == 0) {
            seam = std::make_unique<test::Seam>();
            line = std::make_unique<test::SimComm>(*seam, "\\\\.\\" + t.substr(0, 4));
            line->setModemStatus(MS_CTS_ON | MS_DSR_ON);
            line->setParStatus(0x5A);
            line->setDeviceId("MFG:KAVRO;CMD:ESC;");
            return;
        }
        usb = std::make_unique<test::UsbWorld>();
        usb->vq.state = 0x0102;
        usb->prn.state = 0x1234;
        usb->prn.answers = {{0x220030, "\x18"}, {0x220034, std::string("\0\x14MFG:KAVRO;CMD:ESC;", 20)}};
    }
    test::Seam &anySeam() { return seam ? *seam : usb->seam; }
};

std::string show(int r, const std::string &value = "") {
    return std::to_string(r) + (r == 0 && !value.empty() ? " " + value : "");
}

// A first answer, then a second one asked after it.
template <class G> std::string both(const std::string &first, G second) {
    return first + " / " + second();
}

// The result and, unless it is a failure, the value (-1 results give the value the call wrote too).
template <class F> std::string value(F f, int h) {
    int v = -7;
    const int r = f(h, &v);
    return std::to_string(r) + (r <= 0 ? " " + std::to_string(v) : "");
}

// A text getter into room bytes: the result and the text.
template <class F> std::string text(F f, int h, int room) {
    char b[1024] = "keep";
    const int r = f(h, b, room);
    return std::to_string(r) + " '" + b + "'";
}

std::string deviceId(int h, int room) {
    int n = -1;
    const std::string t =
        text([&n](int h, char *b, int size) { return PtlGetDeviceId(h, b, size, &n); }, h, room);
    return t + " " + std::to_string(n);
}

std::string recvWithin(int h, int timeoutMs) {
    char b[16] = {};
    int got = -1;
    const int r = PtlRecv(h, b, sizeof b, &got, timeoutMs);
    return std::to_string(r) + " " + std::to_string(got) + " '" + std::string(b, got > 0 ? got : 0) + "'";
}

std::string fedRecv(World &w, int h, int timeoutMs) {
    if (w.line)
        w.line->feed("ok");
    return recvWithin(h, timeoutMs);
}

// A silent port: only virtual time passes, and all of it.
std::string silentRecv(World &w, int h) {
    w.clock = std::make_unique<test::VirtualClock>(w.anySeam());
    const DWORD before = w.clock->now();
    const std::string r = recvWithin(h, 60000);
    return r + (w.clock->now() - before >= 60000 ? " waited" : " early");
}

std::string state(int h) {
    unsigned s = 0;
    char hex[16];
    const int r = PtlGetDeviceState(h, &s);
    snprintf(hex, sizeof hex, "%04X", s);
    return show(r, hex);
}

std::string nulls(int h) {
    char b[8];
    int n = 0;
    std::string out;
    for (int r : {PtlRecv(h, nullptr, 8, &n, 0), PtlRecv(h, b, 8, nullptr, 0), PtlIsReady(h, nullptr),
                  PtlGetSendCount(h, nullptr), PtlGetRecvCount(h, nullptr), PtlGetIOMode(h, nullptr),
                  PtlGetName(h, nullptr, 8), PtlSetName(h, nullptr), PtlGetAddress(h, nullptr, 8),
                  PtlSetAddress(h, nullptr), PtlGetSubType(h, nullptr), PtlGetDeviceId(h, nullptr, 8, &n),
                  PtlGetDeviceId(h, b, 8, nullptr), PtlGetDeviceState(h, nullptr)})
        out += std::to_string(r) + " ";
    return out;
}

using Call = std::function<std::string(int h, World &w)>;
const std::map<std::string, Call> kCalls = {
    {"recv", [](int h, World &w) { return fedRecv(w, h, 0); }},
    {"recv fed", [](int h, World &w) { return fedRecv(w, h, 30000); }}, // the arrival ends the wait
    {"recv 60s", [](int h, World &w) { return silentRecv(w, h); }},
    {"ready", [](int h, World &) { return value(PtlIsReady, h); }},
    {"ready rts",
     [](int h, World &w) {
         return both(show(PtlSetFlow(h, 2)), [h, &w] {
             return both(value(PtlIsReady, h),
                         [h, &w] { return w.line->setHold(true, false, false), value(PtlIsReady, h); });
         });
     }},
    {"reset", [](int h, World &) { return show(PtlReset(h)); }},
    {"counts",
     [](int h, World &) {
         return both(value(PtlGetSendCount, h), [h] { return value(PtlGetRecvCount, h); });
     }},
    {"clears",
     [](int h, World &) { return both(show(PtlClearSend(h)), [h] { return show(PtlClearRecv(h)); }); }},
    {"mode", [](int h, World &) { return value(PtlGetIOMode, h); }},
    {"subtype", [](int h, World &) { return value(PtlGetSubType, h); }},
    {"name", [](int h, World &) { return text(PtlGetName, h, 1024); }},
    {"name in 4", [](int h, World &) { return text(PtlGetName, h, 4); }},
    {"address", [](int h, World &) { return text(PtlGetAddress, h, 1024); }},
    {"set address",
     [](int h, World &) {
         return both(show(PtlSetAddress(h, "10.0.0.999")), [h] {
             return both(show(PtlSetAddress(h, "10.1.2.3")), [h] { return text(PtlGetAddress, h, 16); });
         });
     }},
    {"port 33", [](int h, World &) { return show(PtlSetPortNo(h, 33)); }},
    {"id", [](int h, World &) { return deviceId(h, 1024); }},
    {"id in 8", [](int h, World &) { return deviceId(h, 8); }},
    {"state", [](int h, World &) { return state(h); }},
    {"nulls", [](int h, World &) { return nulls(h); }},
};

const std::string kNulls = "1030 1030 1030 1030 1030 1030 1030 1030 1030 1030 1030 1030 1030 1030 ";
const std::string kVqPathText = test::kVqPath;

struct Row {
    const char *target;
    int mode;
    bool claim;
    const char *call;
    std::string expected;
};

const Row kRows[] = {
    // Serial line, synchronous: the device's own read time-out; modem lines; flow-control readiness.
    {"COM3", 0, true, "recv", "0 2 'ok'"},
    {"COM3", 0, true, "recv 60s", "1019 0 '' early"}, // the simulated device's time-out passes at once
    {"COM3", 0, true, "ready", "-1 -1"},              // no handshake: the line tells nothing
    {"COM3", 0, true, "counts", "-1 0 / -1 0"},
    {"COM3", 0, true, "ready rts", "0 / 0 1 / 0 0"},
    {"COM3", 1, true, "ready rts", "0 / 0 1 / 0 0"},
    {"COM3", 0, true, "state", "0 0030"},
    {"COM3", 0, true, "clears", "0 / 0"},
    {"COM3", 0, true, "port 33", "10000"},
    {"COM3", 0, false, "port 33", "1013"},
    {"COM3", 0, false, "ready", "1001"},
    // Serial line, threaded: the receive queue and its arrival signal.
    {"COM3", 1, true, "recv 60s", "1019 0 '' waited"},
    {"COM3", 1, true, "recv fed", "0 2 'ok'"},
    {"COM3", 1, true, "counts", "0 0 / 0 0"},
    {"COM3", 1, false, "counts", "1011 / 1011"},
    {"COM3", 1, true, "mode", "0 1"},
    {"COM3", 2, true, "mode", "0 2"},
    {"COM3", 2, true, "recv 60s", "1019 0 '' waited"},
    // Parallel: the driver's status byte, its device id and its error bits.
    {"LPT1", 0, true, "state", "0 005A"},
    {"LPT1", 0, true, "id", "0 'MFG:KAVRO;CMD:ESC;' 18"},
    {"LPT1", 0, true, "id in 8", "1220 '' 18"},
    {"LPT1", 0, true, "ready", "0 1"},
    {"LPT1", 0, false, "id", "1001 '' 0"},
    {"LPT1", 1, true, "recv 60s", "1019 0 '' waited"},
    // The maker's USB driver: the state word; the found path as identity; no bounded read when synchronous.
    {"VQUSB0", 0, true, "state", "0 0102"},
    {"VQUSB0", 0, true, "id", "0 '" + kVqPathText + "' " + std::to_string(kVqPathText.size())},
    {"VQUSB0", 0, true, "name", "0 '" + kVqPathText + "'"},
    {"VQUSB0", 0, false, "id", "1001 '' 0"},
    {"VQUSB0", 0, true, "recv", "-1 0 ''"},
    {"VQUSB0", 0, true, "ready", "-1 -1"},
    {"VQUSB0", 0, true, "subtype", "0 0"},
    {"XDUSB0", 0, false, "subtype", "0 1"},
    {"VQUSB0", 1, true, "recv 60s", "1019 0 '' waited"},
    // Printing class: the 1284 id without its length bytes, the one-byte port status; VQPRN's state word.
    {"USBPRN0", 0, true, "id", "0 'MFG:KAVRO;CMD:ESC;' 18"},
    {"USBPRN0", 0, true, "state", "0 0018"},
    {"VQPRN0", 0, true, "state", "0 1234"},
    {"VQPRN0", 0, true, "id", "0 'MFG:KAVRO;CMD:ESC;' 18"},
    // Network: the address given, replaced and refused; nothing from the device while not connected.
    {"VQNET@192.0.2.7", 0, false, "address", "0 '192.0.2.7'"},
    {"VQNET@192.0.2.7", 0, false, "set address", "1028 / 0 / 0 '10.1.2.3'"},
    {"VQNET@192.0.2.7", 0, false, "id", "1001 '' 0"},
    {"VQNET@192.0.2.7", 0, false, "recv", "1001 0 ''"},
    // Device-less kinds answer -1, except for what they really have.
    {"CON", 0, true, "recv", "-1 0 ''"},
    {"CON", 0, true, "ready", "-1 -1"},
    {"CON", 0, true, "subtype", "-1 -1"},
    {"CON", 0, true, "nulls", kNulls},
    {"out\\x.bin", 0, false, "name", "0 'out\\x.bin'"},
    {"out\\x.bin", 0, false, "name in 4", "1220 ''"},
    {"out\\x.bin", 0, false, "id", "-1 '' 0"},
    // No such handle.
    {nullptr, 0, false, "recv", "1001 0 ''"},
    {nullptr, 0, false, "set address", "1001 / 1001 / 1001 ''"},
    {nullptr, 0, false, "nulls", kNulls},
};

TEST(Answers, EachKindAnswersWhatItsDeviceHasOrMinusOne) {
    for (const Row &row : kRows) {
        const std::string where = std::string(row.target ? row.target : "(none)") + " mode " +
                                  std::to_string(row.mode) + ": " + row.call;
        World w(row.target);
        const int h = row.target ? PtlOpenByName(row.target, row.mode) : 0x7FFF0000;
        ASSERT_TRUE(row.target == nullptr || h != -1) << where;
        if (row.claim) {
            ASSERT_EQ(PtlClaim(h, 0), 0) << where;
        }
        EXPECT_EQ(kCalls.at(row.call)(h, w), row.expected) << where;
        PtlRelease(h, 0);
        PtlClose(h);
    }
}

} // namespace
} // namespace ptl
