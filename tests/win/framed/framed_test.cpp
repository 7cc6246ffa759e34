// The framed serial ports against the simulated line: IBMFP with a printer that speaks its link protocol
// (frames, every getReply code, the state machine, the stop, the refused send), and AEA's framings per
// claim and send, write retries and framing-0 receive.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/Target.h"
#include "proto/IbmFrame.h"
#include "serial/WAea.h"
#include "serial/WIBMFP.h"
#include "sim/IbmLinkSim.h"
#include "support/TestUtil.h"

namespace ptl {
namespace {

using test::Seam;
using test::SimComm;

const std::string kReset("\x1B\x5B\x63\x04\x00\x00\xCC\x8C\xE0", 9);
const std::string kAsk("\x1B\x5B\x63\x04\x00\x01\xCD\xDD\xE8", 9);
const std::string kAskAck("\x1B\x5B\x63\x04\x00\x01\xDD\x5C\xF8", 9);

std::string reply(char type, char control, const std::string &data) {
    std::string f = std::string("\x1B\x5B\x63", 3) + char(data.size() + 4) + '\0' + type + control + data;
    const uint16_t crc = crc16x25(reinterpret_cast<const uint8_t *>(f.data()), f.size());
    return f + char(crc & 0xFF) + char(crc >> 8);
}

class Ibm : public ::testing::Test {
protected:
    void SetUp() override {
        seam.captureDebug();
        port.setPortNo(3);
    }
    Seam seam;
    SimComm line{seam, "\\\\.\\COM3"};
    test::IbmLinkSim printer{seam, line};
    test::CaptureConsole out;
    WIBMFP port;
};

TEST_F(Ibm, LinkStatesAndEveryReplyCode) {
    // The link's pauses of a second are cut short; the handshake's own pauses stay.
    auto wait = seam.original<&os::Api::WaitForSingleObject>();
    seam.on<&os::Api::WaitForSingleObject>(
        [wait](HANDLE h, DWORD ms) { return wait(h, ms == 1000 ? 1 : ms); });
    std::string crcLow = reply(1, '\x8D', "abc"), crcHigh = crcLow;
    crcLow[10] ^= 1;
    crcHigh[11] ^= 1;
    const std::string por("\x80\x00\xA1\xB2\xC3", 5);
    // Request by request (the port starts waiting for the POR report): the answer and what is printed.
    const struct {
        std::string frame, answer, printed;
        bool rtsFails = false;
    } script[] = {
        {kAsk, "\x1B\x5C", "-2 getReply\n"},                                   // 1 -> 0
        {kReset, std::string("\x1B\x5B\x63\x03\x00\x01", 6), "-3 getReply\n"}, // 0 -> 1
        {kAsk, std::string("\x1B\x5B\x63\x01\x01", 5), "-3 getReply\n"},
        {kReset, crcLow, "-44 getReply\n"},
        {kAsk, crcHigh, "-55 getReply\n"},
        {kReset, reply(0, '\x8D', ""), "-5 getReply\n"},
        {kAsk, reply(1, '\x8C', ""), "-6 getReply\n"},
        {kReset, "", "-1 getReply\n", true},
        {kAsk, reply(1, '\x8D', por.substr(0, 4)), "13 getReply\n"}, // too short for a POR report
        {kReset, "", "-2 getReply\n"},
        {kAsk, reply(2, '\x9D', por), "14 getReply\n@POR A1 B2 C3\n"}, // -> 2, and bit 0x10 set
        {kAskAck, reply(1, '\x8D', "\x01\x02\x03"), "12 getReply\n@STATUS 01 02 03\n"},
        {kAsk, reply(1, '\xAD', "\x04\x05"), "11 getReply\n"},
        {kAsk, "", "-2 getReply\n"}, // -> 0
        {kReset, "", ""},
    };
    std::string frames, printed;
    for (const auto &s : script) {
        printer.reply(s.answer, s.rtsFails);
        frames += s.frame;
        printed += s.printed;
    }
    ASSERT_EQ(port.claim(0), 0);
    test::waitUntil([&] { return printer.requests().size() >= std::size(script); }, 20000);
    EXPECT_EQ(port.release(0), 0);
    std::string got;
    for (const auto &f : printer.requests())
        got += f;
    EXPECT_EQ(got.substr(0, frames.size()), frames);
    EXPECT_EQ(out.text().substr(0, printed.size()), printed);
    EXPECT_EQ(port.porValues()[2] + port.statusValues()[2], 0xC3 + 3);
    const auto calls = line.calls();
    const auto dtr = std::find(calls.begin(), calls.end(), "EscapeCommFunction 5");
    ASSERT_NE(dtr, calls.end());
    EXPECT_EQ(dtr[1], "EscapeCommFunction 4");        // the claim sets DTR, then drops RTS
    EXPECT_GE(line.count("EscapeCommFunction 8"), 5); // a break before every reset
    EXPECT_EQ(line.count("EscapeCommFunction 8"), line.count("EscapeCommFunction 9"));
}

TEST_F(Ibm, OneBytePerRtsRaiseStopWithinOneStepAndSendRefused) {
    printer.reply(reply(1, '\x8D', ""));
    ASSERT_EQ(port.claim(0), 0);
    // Silent from here on, with the real pauses: the stop finds the thread in a step and waits for it.
    test::waitUntil([&] { return printer.requests().size() >= 3; });
    const size_t before = printer.requests().size();
    EXPECT_EQ(port.release(0), 0);
    EXPECT_LE(printer.requests().size(), before + 1);
    EXPECT_TRUE(seam.sawDebug("PTL: WIBMFP::procWait() End\n"));
    EXPECT_EQ(out.text().substr(0, 13), "9 getReply\n-2");
    EXPECT_GE(printer.rtsRaises(), 9);
    EXPECT_FALSE(line.rts());
    // The link has no data frame: bytes are refused, never taken into a queue nothing empties.
    int written = 7;
    EXPECT_EQ(port.send("abc", 3, &written, 0, 0, 0), kWriteFailed);
    EXPECT_EQ(written, 0);
    const int open = os::openTotal();
    line.failNth("EscapeCommFunction", 1, ERROR_GEN_FAILURE);
    EXPECT_EQ(port.claim(0), kIbmProtocolFailed);
    seam.failNth<&os::Api::CreateThread>(1, nullptr, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(port.claim(0), kThreadFailed);
    EXPECT_EQ(os::openTotal(), open) << os::openReport();
}

class Aea : public ::testing::Test {
protected:
    void SetUp() override {
        port.setPortNo(3);
        seam.on<&os::Api::Sleep>([this](DWORD ms) { sleeps.push_back(ms); });
        ASSERT_EQ(port.claim(0), 0);
    }
    // The bytes one send puts on the line, and its result and written count.
    std::string sendAs(int framing, const std::string &data, int expect = 0, int written = -1) {
        port.setSubType(framing);
        const size_t before = line.written().size();
        int n = -2;
        EXPECT_EQ(port.send(data.data(), static_cast<int>(data.size()), &n, 0, 0, 0), expect);
        EXPECT_EQ(n, written < 0 ? static_cast<int>(data.size()) : written);
        return line.written().substr(before);
    }
    Seam seam;
    SimComm line{seam, "\\\\.\\COM3"};
    std::vector<DWORD> sleeps;
    WAea port;
};

TEST_F(Aea, HeadersFollowTheClaimAndBlocksOfASend) {
    EXPECT_EQ(sendAs(kAeaResa, "AB"), "\0020AB\027\044");
    EXPECT_EQ(sendAs(kAeaResa, "AB"), "\0021AB\027\045");
    ASSERT_EQ(port.claim(0), 0);
    EXPECT_EQ(sendAs(kAeaSita, "A"), "\0020A\003\161\257");
    EXPECT_EQ(sendAs(kAeaUltra, ""), "\002\003");
    const std::string x(600, 'x');
    EXPECT_EQ(sendAs(kAeaResa, x), "\0021" + x.substr(88) + "\003\062\0020" + x.substr(512) + "\027\047");
    EXPECT_EQ(sendAs(3, "A", kWriteFailed, 0), "");
    for (int mode : {0, 1, 2, 3, 7}) { // the factory's rows: one class whatever the mode
        auto ibm = test::newPortAs<WPort>(kIfIbmFp, mode), aea = test::newPortAs<WPort>(kIfAea, mode);
        EXPECT_EQ(ibm->getIFName() + std::to_string(ibm->getIOMode() + ibm->getIFType()), "IBMFP1073741877");
        EXPECT_EQ(aea->getIFName() + std::to_string(aea->getIOMode() + aea->getIFType()), "AEA1073741883");
    }
    const DCB d = line.statesSet().back();
    EXPECT_EQ(d.fRtsControl * 0x1000 + d.fDtrControl * 0x10 + d.fParity * 2 + d.fBinary, 0x2013u);
    EXPECT_EQ(line.timeouts().ReadTotalTimeoutConstant + line.timeouts().WriteTotalTimeoutConstant, 1000u);
}

TEST_F(Aea, WriteRetriesThroughTheSeam) {
    line.failNth("WriteFile", 1, ERROR_GEN_FAILURE);
    line.failNth("WriteFile", 2, ERROR_GEN_FAILURE);
    EXPECT_EQ(sendAs(kAeaUltra, "ok"), "\x02ok\x03"); // the third attempt
    EXPECT_EQ(sleeps, (std::vector<DWORD>{500, 500}));
    // A write that ends with part of the frame taken: the rest follows, nothing is skipped.
    auto write = test::currentEntry<&os::Api::WriteFile>();
    bool cut = true;
    seam.on<&os::Api::WriteFile>([&, write](HANDLE h, LPCVOID d, DWORD n, LPDWORD put, LPOVERLAPPED ov) {
        return write(h, d, std::exchange(cut, false) ? n / 2 : n, put, ov);
    });
    EXPECT_EQ(sendAs(kAeaUltra, "abcd"), "\002abcd\003");
    // Three failed attempts on the second frame: only the first frame's data counts as written.
    for (int n : {2, 3, 4})
        line.failNth("WriteFile", n, ERROR_GEN_FAILURE);
    EXPECT_EQ(sendAs(kAeaUltra, std::string(700, 'y'), kWriteFailed, 512),
              "\x02" + std::string(512, 'y') + "\x03");
    // A write that times out with nothing taken is a failed attempt, never a frame sent.
    line.holdWrites(true);
    EXPECT_EQ(sendAs(kAeaUltra, "z", kWriteFailed, 0), "");
    EXPECT_EQ(sleeps.size(), 7u);
}

TEST_F(Aea, ReceiveUnframesFramingZeroAndPassesTheOthersThrough) {
    const struct {
        int framing;
        std::string arrives;
        int result;
        std::string payload;
    } cases[] = {
        {kAeaUltra, "\x02\x41\x10\x03\x42\x03", 0, "A\003B"},
        {kAeaUltra, "\x02\x41\x10\x03", kReadFailed, ""},
        {kAeaResa, "\x02\x30", 0, "\x02\x30"},
    };
    for (const auto &c : cases) {
        char buf[8];
        int got = -1;
        line.feed(c.arrives);
        port.setSubType(c.framing);
        EXPECT_EQ(port.recv(buf, sizeof buf, &got, 0), c.result);
        EXPECT_EQ(std::string(buf, got), c.payload);
        port.clearRecv();
    }
}

} // namespace
} // namespace ptl
