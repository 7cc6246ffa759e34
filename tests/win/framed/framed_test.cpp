// The framed serial ports against the simulated line: IBMFP's link with a printer that speaks its
// protocol (frames, every getReply code, the state machine, the refused send), and AEA's three framings,
// write retries and framing-0 receive.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/Factory.h"
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

std::string reply(uint8_t type, uint8_t control, const std::string &data) {
    std::string f =
        std::string("\x1B\x5B\x63", 3) + char(data.size() + 4) + '\0' + char(type) + char(control) + data;
    const uint16_t crc = crc16x25(reinterpret_cast<const uint8_t *>(f.data()), f.size());
    return f + char(crc & 0xFF) + char(crc >> 8);
}

TEST(Framed, FactoryRowsAndIdentity) {
    for (int mode : {0, 1, 2, 3, 7}) {
        auto ibm = test::newPortAs<WPort>(kIfIbmFp, mode);
        auto aea = test::newPortAs<WPort>(kIfAea, mode);
        ASSERT_TRUE(ibm && aea);
        EXPECT_EQ(std::string(ibm->getIFName()) + std::to_string(ibm->getIOMode()), "IBMFP1");
        EXPECT_EQ(std::string(aea->getIFName()) + std::to_string(aea->getIOMode()), "AEA0");
        EXPECT_EQ(ibm->getIFType(), 0x40000034);
        EXPECT_EQ(aea->getIFType(), 0x4000003b);
    }
}

class Ibm : public ::testing::Test {
protected:
    void SetUp() override {
        seam.captureDebug();
        port.setPortNo(3);
    }
    std::vector<std::string> untilRequests(size_t n) {
        test::waitUntil([&] { return printer.requests().size() >= n; }, 20000);
        port.release(0);
        return printer.requests();
    }

    Seam seam;
    SimComm line{seam, "\\\\.\\COM3"};
    test::IbmLinkSim printer{seam, line};
    test::CaptureConsole out;
    WIBMFP port;
};

TEST_F(Ibm, LinkStatesRepliesAndEveryReplyCode) {
    // The link pauses of a second are cut short; the handshake's own pauses stay.
    auto wait = seam.original<&os::Api::WaitForSingleObject>();
    seam.on<&os::Api::WaitForSingleObject>(
        [wait](HANDLE h, DWORD ms) { return wait(h, ms == kIbmLinkPauseMs ? 1 : ms); });
    std::string crcLow = reply(1, 0x8D, "abc"), crcHigh = crcLow;
    crcLow[crcLow.size() - 2] ^= 1;
    crcHigh.back() ^= 1;
    const char *por = "\x80\x00\xA1\xB2\xC3";
    // Request by request: the printer's answer and the line the port prints for it.
    const struct {
        std::string frame, answer, printed;
        bool rtsFails = false;
    } script[] = {
        {kAsk, "\x1B\x5C", "-2 getReply\n"},                                   // state 1 -> 0
        {kReset, std::string("\x1B\x5B\x63\x03\x00\x01", 6), "-3 getReply\n"}, // 0 -> 1
        {kAsk, std::string("\x1B\x5B\x63\x01\x01", 5), "-3 getReply\n"},
        {kReset, crcLow, "-44 getReply\n"},
        {kAsk, crcHigh, "-55 getReply\n"},
        {kReset, reply(0, 0x8D, ""), "-5 getReply\n"},
        {kAsk, reply(1, 0x8C, ""), "-6 getReply\n"},
        {kReset, "", "-1 getReply\n", true},
        {kAsk, reply(1, 0x8D, std::string(por, 4)), "13 getReply\n"}, // a POR report too short
        {kReset, "", "-2 getReply\n"},
        {kAsk, reply(2, 0x9D, std::string(por, 5)), "14 getReply\n@POR A1 B2 C3\n"}, // -> 2
        {kAskAck, reply(1, 0x8D, "\x01\x02\x03"), "12 getReply\n@STATUS 01 02 03\n"},
        {kAsk, reply(1, 0xAD, "\x04\x05"), "11 getReply\n"},
        {kAsk, "", "-2 getReply\n"}, // -> 0
        {kReset, "", ""},
    };
    std::string frames, printed;
    for (const auto &s : script) {
        s.rtsFails ? printer.replyRtsFails() : printer.reply(s.answer);
        frames += s.frame;
        printed += s.printed;
    }
    ASSERT_EQ(port.claim(0), 0);
    std::string got;
    for (const auto &f : untilRequests(std::size(script)))
        got += f;
    const auto calls = line.calls();
    const auto dtr = std::find(calls.begin(), calls.end(), "EscapeCommFunction 5");
    ASSERT_NE(dtr, calls.end());
    EXPECT_EQ(dtr[1], "EscapeCommFunction 4"); // the claim sets DTR, then drops RTS
    EXPECT_EQ(got.substr(0, frames.size()), frames);
    EXPECT_EQ(out.text().substr(0, printed.size()), printed);
    EXPECT_EQ(port.porValues()[2], 0xC3);
    EXPECT_EQ(port.statusValues()[0], 0x01);
    EXPECT_GE(line.count("EscapeCommFunction 8"), 5); // a break around every reset
    EXPECT_EQ(line.count("EscapeCommFunction 8"), line.count("EscapeCommFunction 9"));
    EXPECT_TRUE(seam.sawDebug("PTL: WIBMFP::procWait() End\n"));
}

TEST_F(Ibm, ReadsOneBytePerRtsRaiseAndStopsWithinOneStep) {
    printer.reply(reply(1, 0x8D, ""));
    ASSERT_EQ(port.claim(0), 0);
    // A silent printer from here on: the thread is in a reset step's pause or reading when stopped.
    test::waitUntil([&] { return printer.requests().size() >= 3; });
    const size_t before = printer.requests().size();
    EXPECT_EQ(port.release(0), 0);
    EXPECT_LE(printer.requests().size(), before + 1);
    EXPECT_EQ(out.text().substr(0, 13), "9 getReply\n-2");
    EXPECT_GE(printer.rtsRaises(), 9);
    EXPECT_FALSE(line.rts());
    EXPECT_NE(port.linkState(), WIBMFP::Online);
}

TEST_F(Ibm, SendRefusesTheBytesAndClaimFailuresLeaveNothingOpen) {
    const int open = os::openTotal();
    int written = 7;
    EXPECT_EQ(port.send("abc", 3, &written, 0, 0, 0), kWriteFailed);
    EXPECT_EQ(written, 0);
    line.failNth("EscapeCommFunction", 1, ERROR_GEN_FAILURE);
    EXPECT_EQ(port.claim(0), kIbmProtocolFailed);
    EXPECT_EQ(os::openTotal(), open) << os::openReport();
    port.setPortNo(33);
    EXPECT_EQ(port.claim(0), kInvalidPortNo);
    port.setPortNo(3);
    seam.failNth<&os::Api::CreateThread>(1, nullptr, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(port.claim(0), kThreadFailed);
    EXPECT_EQ(os::openTotal(), open) << os::openReport();
    const DCB &d = port.storedDcb();
    EXPECT_EQ(d.fDtrControl | d.fRtsControl << 4, 0);
    EXPECT_EQ(d.fBinary + d.fParity, 2u);
}

class Aea : public ::testing::Test {
protected:
    void SetUp() override {
        port.setPortNo(3);
        seam.on<&os::Api::Sleep>([this](DWORD ms) { sleeps.push_back(ms); });
    }
    // The bytes one send puts on the line. Without result: the send must succeed and take everything.
    std::string sendAs(int framing, const std::string &data, int *result = nullptr, int *written = nullptr) {
        port.setSubType(framing);
        const size_t before = line.written().size();
        int n = -1;
        const int r = port.send(data.data(), static_cast<int>(data.size()), &n, 0, 0, 0);
        if (result == nullptr) {
            EXPECT_EQ(r, 0);
            EXPECT_EQ(n, static_cast<int>(data.size()));
        } else {
            *result = r;
        }
        if (written != nullptr)
            *written = n;
        return line.written().substr(before);
    }

    Seam seam;
    SimComm line{seam, "\\\\.\\COM3"};
    std::vector<DWORD> sleeps;
    WAea port;
};

TEST_F(Aea, FramingsHeadersAndEscapes) {
    ASSERT_EQ(port.claim(0), 0);
    EXPECT_EQ(sendAs(kAeaUltra, "A\x02"
                                "B"),
              "\x02"
              "A\x10\x02"
              "B\x03");
    EXPECT_EQ(sendAs(kAeaResa, "AB"), "\x02"
                                      "0AB\x17\x24");
    EXPECT_EQ(sendAs(kAeaResa, "AB"), "\x02"
                                      "1AB\x17\x25"); // the second frame since the claim
    ASSERT_EQ(port.claim(0), 0);
    EXPECT_EQ(sendAs(kAeaSita, "A"), "\x02"
                                     "0A\x03\x71\xAF");
    EXPECT_EQ(sendAs(kAeaUltra, std::string("\x10", 1)), std::string("\x02\x10\x10\x03", 4));
    EXPECT_EQ(sendAs(kAeaResa, std::string("\x10", 1)), std::string("\x02"
                                                                    "1\x10\x10\x17\x36",
                                                                    6));
    EXPECT_EQ(sendAs(kAeaSita, std::string("\x10", 1)), std::string("\x02"
                                                                    "0\x10\x10\x03\x20\x07",
                                                                    7));
    EXPECT_EQ(sendAs(kAeaUltra, ""), "\x02\x03");
    const std::string block(600, 'x');
    const std::string two = sendAs(kAeaResa, block);
    EXPECT_EQ(two, "\x02"
                   "1" +
                       block.substr(0, 512) + "\x03\x32" +
                       "\x02"
                       "0" +
                       block.substr(0, 88) + "\x17\x27");
    int r = 0;
    EXPECT_EQ(sendAs(3, "A", &r), "");
    EXPECT_EQ(r, kWriteFailed);
    const DCB d = line.dcb();
    EXPECT_EQ(d.fRtsControl * 0x1000 + d.fDtrControl * 0x10 + d.fParity * 2 + d.fBinary, 0x2013u);
    const COMMTIMEOUTS t = line.timeouts();
    EXPECT_EQ(t.ReadTotalTimeoutConstant + t.WriteTotalTimeoutConstant + t.ReadIntervalTimeout, 1000u);
}

TEST_F(Aea, WriteRetriesThroughTheSeam) {
    ASSERT_EQ(port.claim(0), 0);
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
    EXPECT_EQ(sendAs(kAeaUltra, "abcd"), "\x02"
                                         "abcd\x03");
    EXPECT_EQ(line.writeSizes().back(), 3u);
    // Three failed attempts on the second frame: only the first frame's data counts as written.
    for (int n : {2, 3, 4})
        line.failNth("WriteFile", n, ERROR_GEN_FAILURE);
    int r = 0, written = 0;
    EXPECT_EQ(sendAs(kAeaUltra, std::string(700, 'y'), &r, &written),
              "\x02" + std::string(512, 'y') + "\x03");
    EXPECT_EQ(r, kWriteFailed);
    EXPECT_EQ(written, 512);
    // A write that times out with nothing taken is a failed attempt, never a frame sent.
    line.holdWrites(true);
    EXPECT_EQ(sendAs(kAeaUltra, "z", &r, &written), "");
    EXPECT_EQ(r, kWriteFailed);
    EXPECT_EQ(written, 0);
    EXPECT_EQ(sleeps.size(), 7u);
}

TEST_F(Aea, ReceiveUnframesFramingZeroAndPassesTheOthersThrough) {
    ASSERT_EQ(port.claim(0), 0);
    char buf[8] = {};
    int got = -1;
    const struct {
        int framing;
        std::string arrives;
        int result;
        std::string payload;
    } cases[] = {
        {kAeaUltra, "\x02\x41\x10\x03\x42\x03", 0,
         "A\x03"
         "B"},
        {kAeaUltra, "\x02\x41\x10\x03", kReadFailed, ""},
        {kAeaUltra, "", kReadFailed, ""},
        {kAeaResa, "\x02\x30", 0, "\x02\x30"},
        {5, "x", kReadFailed, ""},
    };
    for (const auto &c : cases) {
        line.feed(c.arrives);
        port.setSubType(c.framing);
        EXPECT_EQ(port.recv(buf, sizeof buf, &got, 0), c.result);
        EXPECT_EQ(std::string(buf, got), c.payload);
        port.clearRecv();
    }
}

} // namespace
} // namespace ptl
