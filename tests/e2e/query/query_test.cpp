// ptlquery against printers that answer the receipt printers' status request 0x10 0x04 n: the network
// printer simulator and a pty serial line (the shipped program), the USB drivers (the same run in-process,
// where the simulated drivers live).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Query.h"
#include "sim/PtyLine.h"
#include "support/NetSim.h"
#include "support/Process.h"
#include "win/usb/UsbSims.h"

namespace {

using namespace ptl::test;

// One dump line: the bytes as " XX" each, then the text column.
std::string dumpLine(const std::string &hex, const std::string &text) {
    return "  0000 " + hex + std::string(48 - hex.size(), ' ') + "  " + text + "\n";
}

struct Case {
    std::vector<std::string> options;
    std::string report; // after the identity lines
    int exitCode;
};
const Case kCases[] = {
    {{"-x", "10", "04", "01"},
     "Sent      = 3 bytes\n" + dumpLine(" 10 04 01", "...") + "Answer    = 1 byte\n" + dumpLine(" 16", "."),
     0},
    {{"-x", "100402", "-s", "\\x10\\4\\3"},
     "Sent      = 6 bytes\n" + dumpLine(" 10 04 02 10 04 03", "......") + "Answer    = 2 bytes\n" +
         dumpLine(" 12 12", ".."),
     0},
    {{"-t300", "-s", "hello"},
     "Sent      = 5 bytes\n" + dumpLine(" 68 65 6C 6C 6F", "hello") + "No answer within 300 ms\n",
     4},
};

// The lines before the report; "-" for "not supported by this port".
std::string identity(const std::string &target, const std::string &iface, const char *mode, const char *ready,
                     const std::string &id, const char *state) {
    const auto value = [](const std::string &v) { return v == "-" ? "not supported by this port" : v; };
    return "Target    = " + target + "\nInterface = " + iface + "\nMode      = " + mode +
           "\nReady     = " + value(ready) + "\nDevice id = " + value(id) + "\nState     = " + value(state) +
           "\n";
}

// The shipped program, synchronous and threaded: the identity lines, then each case's report and exit code.
void expectProgram(const std::string &target, const std::string &iface, const char *ready,
                   const std::string &id, const char *state) {
    for (const char *mode : {"-m0", "-a"})
        for (const Case &c : kCases) {
            std::vector<std::string> args = c.options;
            args.insert(args.begin(), mode);
            args.push_back(target);
            const ProcessResult r = runProcess(binDir() + "\\ptlquery.exe", args, 30000);
            const char *modeLine = mode[1] == 'a' ? "1 threaded" : "0 synchronous";
            EXPECT_EQ(r.out, crlf(identity(target, iface, modeLine, ready, id, state) + c.report)) << r.err;
            EXPECT_EQ(r.exitCode, c.exitCode) << target << " " << mode;
        }
}

TEST(Ptlquery, NetworkPrinterSimulator) {
    NetSim sim("127.13.0.2", {"--id", "SIM-QUERY"});
    ASSERT_TRUE(sim.ready()) << sim.out();
    expectProgram("VQNET@" + sim.ip(), "VQNET, type 0x80000018", "-", "SIM-QUERY", "-");
}

TEST(Ptlquery, SerialLine) {
    PtyLine line;
    ASSERT_TRUE(line.available() && line.openPeer(200)) << "needs the pty fixture: run through ctest";
    line.answerStatus();
    // Wine's serial line on a pty has no modem lines to report: the state query fails, and says so.
    expectProgram(line.comName(), "COM, type 0x40000011", "-", "-", "error 10000 Unknown error.");
}

TEST(Ptlquery, UsbDevices) {
    const struct {
        const char *target;
        SimDriver UsbWorld::*device;
        std::string identity;
    } devices[] = {
        {"VQUSB0", &UsbWorld::vq,
         identity("VQUSB0", "VQUSB, type 0x00000014", "1 threaded", "-", kVqPath, "0x00000108")},
        {"USBPRN0", &UsbWorld::prn,
         identity("USBPRN0", "USBPRN, type 0x00000016", "1 threaded", "-", "MFG:KAVRO;MDL:SIM;",
                  "0x00000018")},
    };
    for (const auto &d : devices)
        for (const Case &c : kCases) {
            UsbWorld world;
            (world.*d.device).answersStatus = true;
            world.vq.state = 0x0108;
            world.prn.answers = {{0x220034, std::string("\0\x14MFG:KAVRO;MDL:SIM;", 20)}, {0x220030, "\x18"}};
            MemStream out, err;
            std::vector<std::string> words = c.options;
            words.insert(words.begin(), {"ptlquery", "-a"}); // the synchronous USB ports cannot bound a read
            words.push_back(d.target);
            std::vector<const char *> argv;
            for (const std::string &w : words)
                argv.push_back(w.c_str());
            EXPECT_EQ(ptlquery::run(static_cast<int>(argv.size()), argv.data(), out.get(), err.get()),
                      c.exitCode);
            EXPECT_EQ(out.text(), d.identity + c.report) << err.text();
        }
}

TEST(Ptlquery, UsageAndBadTargets) {
    const struct {
        std::vector<std::string> args;
        std::string errStart; // and then the usage text, after a wrong option
    } cases[] = {
        {{}, "No target given\nUsage: ptlquery [options] <target>\n"},
        {{"-x", "1G", "COM1"}, "Invalid value for -x: 1G\nUsage:"},
        {{"-s", "\\q", "COM1"}, "Invalid value for -s: \\q\nUsage:"},
        {{"COM1", "COM2"}, "One target only\nUsage:"},
        {{"VQNET@300.1.1.1"},
         "PtlOpenByName <VQNET@300.1.1.1> mode 0: no such target or mode\nNot a printer address: "
         "<300.1.1.1>\n"},
    };
    for (const auto &c : cases) {
        const ProcessResult r = runProcess(binDir() + "\\ptlquery.exe", c.args, 30000);
        EXPECT_EQ(r.err.substr(0, crlf(c.errStart).size()), crlf(c.errStart));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, "");
    }
}

} // namespace
