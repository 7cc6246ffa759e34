#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "core/Target.h"

using namespace ptl;

namespace {

struct Parsed {
    int type, port, sub;
    uint32_t addr;
};

Parsed parse(const char *text) {
    const Target t = parseTarget(text);
    return {t.type, t.portNo, t.subType, t.address};
}

uint32_t addr(int a, int b, int c, int d) {
    return static_cast<uint32_t>(a) | static_cast<uint32_t>(b) << 8 | static_cast<uint32_t>(c) << 16 |
           static_cast<uint32_t>(d) << 24;
}

} // namespace

// Each name alone gives its row's type, default port and sub-type; the rows are written out here, not read
// from the table under test. A network row without "@" keeps address 0. Then digits after the name (the
// number ends at the first other character), any case, and a network address after "@" with or without a
// port number between.
TEST(Target, EveryNameWithItsDefaultsDigitsAndAddresses) {
    const struct {
        const char *text;
        uint32_t type;
        int port, sub;
        uint32_t addr;
    } rows[] = {
        {"CON", 1, -1, -1, 0},
        {"DUMP", 2, -1, -1, 0},
        {"COM", 0x40000011, 1, -1, 0},
        {"LPT", 0x12, 1, -1, 0},
        {"PRN", 0x12, 1, -1, 0},
        {"VQUSB", 0x14, 0, 0, 0},
        {"XDUSB", 0x14, 0, 1, 0},
        {"VQPRN", 0x15, 0, 0, 0},
        {"XDPRN", 0x15, 0, 1, 0},
        {"USBPRN", 0x16, 0, -1, 0},
        {"VQNET", 0x80000018, -1, -1, 0},
        {"SPOOLER", 0x33, 0, -1, 0},
        {"VQOLM", 0x80000019, 1, 0, 0},
        {"XDOLM", 0x80000019, 1, 1, 0},
        {"ZROLM", 0x80000019, 1, 2, 0},
        {"IBMFP", 0x40000034, 1, -1, 0},
        {"IBMDLL", 0x35, 1, -1, 0},
        {"JOBSPOOL", 0x32, -1, 1, 0},
        {"REMOTE", 0x32, -1, 0x10010003, 0},
        {"D4CTRL", 0x32, -1, 0x10000005, 0},
        {"IBMTI4", 0x22, 0, -1, 0},
        {"IBMM4", 0x23, 0, -1, 0},
        {"ALD", 0x24, -1, -1, 0},
        {"KVBSLM", 0x36, 0, -1, 0},
        {"KVBSDH", 0x37, 0, -1, 0},
        {"XFS", 0x38, -1, -1, 0},
        {"HPRDH", 0x39, 0, -1, 0},
        {"OLMPRT", 0x80000019, 1, 0, 0},
        {"LIBUSB", 0x1a, 0, 0, 0},
        {"VQLPT", 0x1c, 1, -1, 0},
        {"TULIP", 0x1b, 1, -1, 0},
        {"ULTRA", 0x4000003b, 1, 0, 0},
        {"RESA", 0x4000003b, 1, 1, 0},
        {"SITA", 0x4000003b, 1, 2, 0},
        {"com", kIfCom, 1, -1, 0},
        {"COM12", kIfCom, 12, -1, 0},
        {"COM3X", kIfCom, 3, -1, 0},
        {"LPT2", kIfLpt, 2, -1, 0},
        {"PRN2", kIfLpt, 2, -1, 0},
        {"XDUSB3", kIfVqusb, 3, 1, 0},
        {"ULTRA5", kIfAea, 5, 0, 0},
        {"SpOoLeR2", kIfSpooler, 2, -1, 0},
        {"VQNET@192.168.1.20", 0x80000018u, -1, -1, addr(192, 168, 1, 20)},
        {"VQNET9101@10.1.2.3", 0x80000018u, 9101, -1, addr(10, 1, 2, 3)},
        {"xdolm@127.0.0.5", 0x80000019u, 1, 1, addr(127, 0, 0, 5)},
        {"VQNET@1.0.0.0", 0x80000018u, -1, -1, addr(1, 0, 0, 0)}, // the first and last octets accepted
        {"VQNET@254.255.255.255", 0x80000018u, -1, -1, addr(254, 255, 255, 255)}};
    for (const auto &r : rows) {
        const Parsed p = parse(r.text);
        EXPECT_EQ(std::make_tuple(static_cast<uint32_t>(p.type), p.port, p.sub, p.addr),
                  std::make_tuple(r.type, r.port, r.sub, r.addr))
            << r.text;
    }
    // A number too long for an int saturates instead of wrapping to a negative port.
    EXPECT_GT(parse("COM99999999999999999999").port, 0);
}

TEST(Target, OtherCharacterAfterNameIsAFile) {
    for (const char *t : {"COMX", "CONSOLE", "DUMPS", "LPT-1", "COM 1", "out.prn", "", "C:\\jobs\\out.prn"}) {
        Parsed p = parse(t);
        EXPECT_EQ(p.type, kIfFile) << t;
    }
    // CON matches the first row's name but is followed by S: that ends the scan at once.
    EXPECT_EQ(parse("CONSOLE").port, -1);
    EXPECT_EQ(parse(nullptr).type, kIfFile);
}

TEST(Target, RejectedAddressFallsThroughToAFile) {
    for (const char *t : {"VQNET@0.1.2.3", "VQNET@255.1.2.3", "VQNET@0.0.0.0", "VQNET@255.255.255.255",
                          "VQOLM@0.0.0.1", "VQNETX@1.2.3.999", "VQNET9101x@1.2.3.999", "A:VQNET@1.2.3.999"}) {
        Parsed p = parse(t);
        EXPECT_EQ(p.type, kIfFile) << t;
        EXPECT_FALSE(isMistypedNetworkTarget(t)) << t;
    }
    // What the rejected row set stays in the outputs.
    Parsed p = parse("VQOLM@0.0.0.1");
    EXPECT_EQ(p.sub, 0);
    EXPECT_EQ(p.port, 1);
}

// A network name, with or without a port number, then "@" and no address: refused, not a file.
TEST(Target, MistypedAddressIsRefused) {
    for (const char *t : {"VQNET@999.1.1.1", "VQNET@127.0.0.256", "VQNET9101@127.0.0.5junk", "vqnet@",
                          "VQNET@nonsense", "XDOLM7@1.2.3.4.5"}) {
        EXPECT_EQ(parse(t).type, kIfRefused) << t;
        EXPECT_TRUE(isMistypedNetworkTarget(t)) << t;
    }
    uint32_t a = 7;
    EXPECT_TRUE(readIpv4("255.255.255.255", &a));
    EXPECT_EQ(a, 0xFFFFFFFFu);
}

TEST(Target, InetAddrForms) {
    EXPECT_EQ(ipv4FromText("127.0.0.1"), addr(127, 0, 0, 1));
    EXPECT_EQ(ipv4FromText("10.1"), addr(10, 0, 0, 1));
    EXPECT_EQ(ipv4FromText("10.1.258"), addr(10, 1, 1, 2));
    EXPECT_EQ(ipv4FromText("0x7f.1"), addr(127, 0, 0, 1));
    EXPECT_EQ(ipv4FromText("010.0.0.1"), addr(8, 0, 0, 1));
    EXPECT_EQ(ipv4FromText("1.2.3.4 "), addr(1, 2, 3, 4));
    for (const char *bad :
         {"", "1.2.3.4.5", "1..2", "1.2.3.", "08.1.1.1", "0x", "1.2.3.4x", "256.1.1.1", "abc"})
        EXPECT_EQ(ipv4FromText(bad), 0xFFFFFFFFu) << bad;
    EXPECT_EQ(ipv4FromText(nullptr), 0xFFFFFFFFu);
}
