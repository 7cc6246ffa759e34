// The choice of the alias target and the flow rules, which need no device.
#include <gtest/gtest.h>

#include <string>

#include "serial/DeviceAlias.h"
#include "serial/SerialRules.h"

namespace ptl {
namespace {

// The COM3 names are the serial port tests'; here the longest numbers, and a buffer too small is never cut
// to another name.
TEST(DeviceAlias, NamesOfTwoDigitPorts) {
    char b[kDevicePathSize];
    ASSERT_TRUE(formatAliasName(b, sizeof b, "LPT", 32));
    EXPECT_STREQ(b, "PtlLPT32");
    ASSERT_TRUE(formatDosName(b, sizeof b, "COM", 12));
    EXPECT_STREQ(b, "COM12");
    char small[6];
    EXPECT_FALSE(formatAliasName(small, sizeof small, "COM", 3));
}

std::string list(std::initializer_list<std::string> targets) {
    std::string s;
    for (const auto &t : targets)
        s += t + '\0';
    return s + '\0';
}

// The choice between the spooler's pipe and a device: the serial port tests. Here: the edges of the pipe
// prefix.
TEST(DeviceAlias, FirstTargetThatIsNotTheSpoolerPipe) {
    std::string l = list({});
    EXPECT_EQ(firstDeviceTarget(l.data(), l.size()), nullptr);

    // The prefix is compared over exactly 26 bytes: a shorter or different text is a device.
    l = list({"\\Device\\NamedPipe\\Spooler", "\\Device\\NamedPipe\\spooler\\COM1"});
    EXPECT_STREQ(firstDeviceTarget(l.data(), l.size()), "\\Device\\NamedPipe\\Spooler");
    l = list({"\\Device\\NamedPipe\\Spooler\\", "\\Device\\NamedPipe\\spooler\\COM1"});
    EXPECT_STREQ(firstDeviceTarget(l.data(), l.size()), "\\Device\\NamedPipe\\spooler\\COM1");

    // An answer cut off inside a target gives no target rather than reading past it.
    const std::string cut = "\\Device\\Serial0";
    EXPECT_EQ(firstDeviceTarget(cut.data(), cut.size()), nullptr);
}

TEST(SerialRules, FlowCodesRoundTripAndUnknownCodesChangeNothing) {
    for (int code = 0; code <= 4; ++code) {
        FlowBits b;
        ASSERT_TRUE(flowBitsFor(code, &b));
        EXPECT_EQ(flowCodeOf(b), code);
    }
    FlowBits keep;
    keep.outX = 1;
    EXPECT_FALSE(flowBitsFor(5, &keep));
    EXPECT_FALSE(flowBitsFor(-1, &keep));
    EXPECT_EQ(keep.outX, 1u);
    // Derived from the line controls first: DTR handshake with XON/XOFF still reads as DTR/DSR.
    FlowBits mixed;
    mixed.dtrControl = kLineHandshake;
    mixed.outX = 1;
    EXPECT_EQ(flowCodeOf(mixed), 1);
}

} // namespace
} // namespace ptl
