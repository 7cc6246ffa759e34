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

// No prefix, the handle alone and the trace lines: the library's log tests. Here: the time fields in order.
TEST(LogFormat, PrefixByFlags) {
    char buf[48];
    LogClock c{3, 7, 9, 5, 2, 41};
    formatLogPrefix(buf, sizeof buf, 0x11, c, 0x1234);
    EXPECT_STREQ(buf, "0307 090502.041 ");
    formatLogPrefix(buf, sizeof buf, 0x13, c, -1);
    EXPECT_STREQ(buf, "0307 090502.041 FFFFFFFF ");
}
