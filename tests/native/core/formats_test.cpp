#include <gtest/gtest.h>

#include <string>

#include "core/LogFormat.h"
#include "port/DumpFormat.h"

using namespace ptl;

namespace {

std::string dumpLine(unsigned offset, unsigned char b) {
    char buf[64];
    size_t n = formatDumpLine(buf, sizeof buf, offset, b);
    return std::string(buf, n);
}

} // namespace

// The named bytes and the offset column against a whole run: the end-to-end dump test. Here: an offset past
// six digits, and every printable byte as itself.
TEST(DumpFormat, LinesAsPrinted) {
    EXPECT_EQ(dumpLine(0xABCDEF, 0xAB), ">ABCDEF: 171  ABh  \\xAB\n");
    EXPECT_EQ(dumpLine(0x1000000, 0), ">1000000:   0  00h  NUL \n");
    EXPECT_STREQ(byteName(0x20), " ");
    for (int b = 0x21; b < 0x7F; ++b)
        if (b != '"' && b != '\\') {
            EXPECT_EQ(std::string(byteName(static_cast<unsigned char>(b))), std::string(1, char(b)));
        }
}

TEST(LogFormat, PrefixByFlags) {
    char buf[48];
    LogClock c{3, 7, 9, 5, 2, 41};
    EXPECT_EQ(formatLogPrefix(buf, sizeof buf, 0x10, c, 0x1234), 0u);
    EXPECT_STREQ(buf, "");
    formatLogPrefix(buf, sizeof buf, 0x11, c, 0x1234);
    EXPECT_STREQ(buf, "0307 090502.041 ");
    formatLogPrefix(buf, sizeof buf, 0x12, c, 0x1234);
    EXPECT_STREQ(buf, "00001234 ");
    formatLogPrefix(buf, sizeof buf, 0x13, c, -1);
    EXPECT_STREQ(buf, "0307 090502.041 FFFFFFFF ");
}

TEST(LogFormat, TraceBytes) {
    char buf[64];
    const unsigned char data[] = {0x00, 0x1B, 0xFF, 0x7A};
    EXPECT_EQ(formatTraceBytes(buf, sizeof buf, data, 4), 12u);
    EXPECT_STREQ(buf, " 00 1B FF 7A");
    unsigned char sixteen[16];
    for (int i = 0; i < 16; ++i)
        sixteen[i] = static_cast<unsigned char>(i);
    formatTraceBytes(buf, sizeof buf, sixteen, 16);
    EXPECT_STREQ(buf, " 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F");
}
