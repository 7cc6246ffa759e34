// Shared pieces of the rawpush end-to-end tests: the program's fixed texts as they reach a file through
// text-mode streams (CRLF), job files, and a fixture that starts every test with logging off.
#pragma once

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "support/Process.h"
#include "support/TestUtil.h"

namespace rawpush_e2e {

using ptl::test::crlf;
using ptl::test::ProcessResult;
using ptl::test::runRawpush;

inline const std::string kBannerFirst = "Raw push version 0.80(20100610) by tavo\r\n";
inline const std::string kSeparator = std::string(56, '-') + "\r\n";

inline const std::string kUsage = crlf("Usage: rawpush [options] <file> <target>\n"
                                       " options:\n"
                                       "   -b<baudrate>     48 96 192 384 4800 9600 19200 38400\n"
                                       "   -d<data length>  7 8\n"
                                       "   -f<flow control> D:DTR/DSR R:RTS/CTS X:XON/XOFF N:None\n"
                                       "   -s<stop bits>    1 2\n"
                                       "   -p<parity bits>  N:None O:Odd E:Even\n"
                                       "   -w<seconds>      Wait after sending data\n"
                                       "   -v vervose\n"
                                       "   -l enum printers\n"
                                       " target:\n"
                                       "   CON\n"
                                       "   COM[1..]\n"
                                       "   LPT[1..]\n"
                                       "   VQUSB[0..]\n"
                                       "   XDUSB[0..]\n");
inline const std::string kUsageTail = crlf(" example:\n"
                                           "   >rawpush -b192 sample.bin com1\n");

// The error stream always begins with the two banner lines; the first is fixed, the second is ours to word.
// Hands back what follows them, or fails the test.
inline std::string afterBanner(const std::string &err) {
    const size_t second = err.find("\r\n", kBannerFirst.size());
    EXPECT_TRUE(err.rfind(kBannerFirst, 0) == 0 && second != std::string::npos &&
                second > kBannerFirst.size())
        << "banner lines missing in: " << err;
    return second == std::string::npos ? err : err.substr(second + 2);
}

// The usage text between its fixed lines and the example: the network target line with some dotted
// address.
inline void expectUsage(const std::string &rest) {
    ASSERT_EQ(rest.substr(0, kUsage.size()), kUsage) << rest;
    const std::string tail = rest.substr(kUsage.size());
    static const std::regex net("   VQNET@[0-9]{1,3}\\.[0-9]{1,3}\\.[0-9]{1,3}\\.[0-9]{1,3}\r\n");
    size_t eol = tail.find("\r\n");
    ASSERT_NE(eol, std::string::npos);
    EXPECT_TRUE(std::regex_match(tail.substr(0, eol + 2), net)) << tail;
    EXPECT_EQ(tail.substr(eol + 2), kUsageTail);
}

// The output stream's tail after a transfer, as a pattern: separator, "Total Time = s.mmm sec".
inline const std::string kTimeTail = "-{56}\r\nTotal Time = [0-9]+\\.[0-9]{3} sec\r\n";

using ptl::test::jobFile;

// Every test starts with logging off, whatever an earlier, interrupted run left in the registry.
class Rawpush : public ::testing::Test {
protected:
    void SetUp() override { ptl::test::clearLogSettings(); }
    void TearDown() override { ptl::test::clearLogSettings(); }
};

} // namespace rawpush_e2e
