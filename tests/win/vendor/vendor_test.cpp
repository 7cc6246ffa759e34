// The printer-library ports against the fake libraries in tests/fakes, each loaded from beside the test as
// the ports load them (by file name), with their call logs read back. The fakes export their functions with
// the libraries' own calling conventions: a port calling one with the other convention crashes the test.
#include <gtest/gtest.h>

#include "api/Factory.h"
#include "core/IfTypes.h"
#include "core/Target.h"
#include "extlib/VendorLibraries.h"
#include "extlib/WIBMDLL.h"
#include "fakes/VendorFakes.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

using namespace ptl;
using Results = std::vector<int>;

namespace {

struct Lib {
    const char *dll, *target;
    os::RuntimeLibrary &(*library)();
};
const Lib kIbm{"WNTSFPRT.DLL", "IBMDLL", vendor::ibmLibrary};
const Lib kLibs[] = {{"HPRDH.dll", "HPRDH", vendor::hprdhLibrary},
                     {"kvBSescM.dll", "KVBSDH", vendor::kvbsdhLibrary},
                     {"kvBSLmIF.dll", "KVBSLM", vendor::kvbslmLibrary},
                     {"EBAPI.DLL", "JOBSPOOL", vendor::ebapiLibrary}};

class Vendor : public ::testing::Test {
protected:
    void SetUp() override { seam.captureDebug(); }
    VendorFake *fresh(const Lib &lib) {
        lib.library().forget();
        auto state = reinterpret_cast<void *(WINAPI *)()>(GetProcAddress(LoadLibraryA(lib.dll), "FakeState"));
        VendorFake *f = static_cast<VendorFake *>(memset(state(), 0, sizeof(VendorFake)));
        return f->handle = 7, f;
    }
    std::unique_ptr<WPort> open(const char *target, int mode = 0) {
        Target t = parseTarget(target);
        auto p = newPort(t.type, mode);
        p->setPortNo(t.portNo), p->setName("P1"); // the name wins
        return p;
    }
    test::Seam seam;
};

TEST_F(Vendor, IbmClaimSendAndDocStart) {
    VendorFake *f = fresh(kIbm);
    auto p = test::newPortAs<WIBMDLL>(kIfIbmDll, 0);
    EXPECT_EQ((Results{p->getIFType(), p->getIOMode(), p->claim(100), p->setPortNo(3), p->claim(100)}),
              (Results{53, 0, kInvalidPortNo, 0, 0}));
    std::string big(65536, 'b');
    int n = -1, got = -1;
    f->reply[0] = 0x34, f->reply[1] = 0x12, f->reply[6] = 0x0A;
    Results r{p->send(big.data(), 65536, &n, 0, 0, 0), n,  p->send(big.data(), 65535, &n, 0, 0, 0), n,
              p->recv(&big[0], 10, &got, 0),           got};
    f->script[0] = {"PrtBeginTrans", 0x050A};
    r.insert(r.end(), {p->docStart(0, 0), p->getCodePage(5), p->setCodePage(1, 2), p->getEnvVarsEx(1, 2)});
    f->script[0] = {"PrtBeginTrans", 1}, f->script[1] = {"PrtWriteDevice", 0x0508};
    r.insert(r.end(), {p->docStart(0, 0), p->send("ab", 2, &n, 0, 0, 0), n, p->lastResult(), p->release(0),
                       p->release(0)});
    EXPECT_EQ(r, (Results{10000, 0, 0, 65535, 0, 10, 0, 0, 0, -1, 10001, 11288, 2, 0x0508, 0, 0}));
    EXPECT_STREQ(f->log,
                 "PrtOpenDevice(3,100)\nPrtWriteDevice(7,1,65535)\nPrtReadDevice(7,1,10)\n"
                 "PrtBeginTrans(7,0)\nPrtGetEnvVars(7,1,0)\nPrtGetEnvVars(7,1,1)\nPrtGetEnvVars(7,1,3)\n"
                 "PrtGetCP(7,5)\nPrtSetCP(7,1,2)\nPrtBeginTrans(7,0)\nPrtWriteDevice(7,1,2)\n"
                 "PrtEndTrans(7)\nPrtCloseDevice(7)\n");
    for (const char *line : {"Error Ctrs = 0x1234, 0000, 0000, 0x000a\n", "POR Status = 0x1234\n",
                             "Printer Id = 0x34\n\n", "PTL: PrtWriteDevice(65535, 65535)=0\n"})
        EXPECT_EQ(seam.debugCount(line), 1) << line;
    // Without the library the open fails with the library's "missing" answer kept.
    seam.on<&os::Api::LoadLibraryA>([](LPCSTR) -> HMODULE { return nullptr; });
    vendor::ibmLibrary().forget();
    EXPECT_EQ((Results{p->claim(0), p->lastResult()}), (Results{kCantClaim, 9999}));
}

TEST_F(Vendor, IbmThreadedCapsTakesAndRetriesFailedWrites) {
    VendorFake *f = fresh(kIbm);
    test::CaptureConsole console;
    auto p = test::newPortAs<WIBMDLLA>(kIfIbmDll, 1);
    p->setPortNo(1);
    p->WAsync::setSendBlockSize(100000);
    f->script[0] = {"PrtWriteDevice", 0x0101}, f->moved = -1;
    memcpy(f->reply, "\x81\x80\x00\x01\x03\x00", 6);
    const std::string job = test::testBytes(150000);
    int n = 0;
    EXPECT_EQ((Results{p->getIOMode(), p->claim(0), p->send(job.data(), 150000, &n, 0, 0, 0), n}),
              (Results{1, 0, 0, 150000}));
    EXPECT_TRUE(test::waitUntil(
        [&] { return strstr(f->log, "PrtDeviceStatus(7,1,0,6)\nPrtWriteDevice") != nullptr; }));
    f->script[0] = {}, f->moved = 0;
    int got = -1;
    EXPECT_EQ((Results{p->recv(&n, 4, &got, 0), got, p->release(5000)}), (Results{0, 0, 0}));
    EXPECT_EQ(std::string(f->sent, f->sentLen), job);
    EXPECT_NE(strstr(f->log,
                     "PrtWriteDevice(7,1,65535)\nPrtWriteDevice(7,1,65535)\nPrtWriteDevice(7,1,18930)\n"
                     "PrtEndTrans(7)"),
              nullptr)
        << f->log;
    // The report of the failed writes, and every error-bit text.
    printIbmException(reinterpret_cast<const uint8_t *>("\0\0\xFF\0\xFF\xFF"));
    const std::string text = console.text();
    const std::string first =
        "Exception 8081\n Bit15 Multi-user operator panel function\n Bit07 POR complete "
        "exception\n Bit00 Stop key pressed or cover open exception\nError 0100\nCount = 3\n\n";
    const std::string last = "Exception 0000\nError 00FF\n Bit07 Multi-user operator panel error\n Bit06 "
                             "Message overflow error\n Bit05 Patch data error\n Bit04 Hardware error\n Bit03 "
                             "Journal feature not available\n Bit02 \n Bit01 \n Bit00 REMS feature not "
                             "installed\nCount = 65535\n\n";
    EXPECT_EQ(text.substr(0, first.size()), first);
    EXPECT_EQ(text.substr(text.size() - std::min(text.size(), last.size())), last);
}

TEST_F(Vendor, LibraryCallsAsTheyArePassed) {
    const char *logs[] = {
        "PrtOpenA(P1)\nPrtClaim(7,300)\nPrtWrite(7,5,0)\nPrtRelease(7)\nPrtClose(7)\n",
        "devOpenA(P1,0,kvBSEscM.dll)\ndevWrite(7,5000,5)\ndevRead(7,5000,4)\ndevLock(7,9)\ndevUnlock(7)\n"
        "devUnlock(7)\ndevClose(7)\n",
        "LIOpen(0,P1,1)\nLIWrite(7,0,5,0)\nLIRead(7,4,4,0)\nLILock(7)\nLIUnlock(7)\nLIUnlock(7)\n"
        "LIClose(7)\n",
        "EBInitialize()\nEBOpenChannel(1,'',1)\nEBSend(7,5)\nEBReceive(7,4,-1)\nEBRelease()\n"};
    const Results results[] = {{0, 0, 5, 0, -9, -1, -1, 0, 0},
                               {0, 0, 5, 0, 4, 0, 0, 0, 0},
                               {0, 0, 5, 0, 4, 0, 0, 0, 0},
                               {0, 0, 5, 0, 4, -1, -1, 0, 0}};
    for (int i = 0; i < 4; ++i) {
        VendorFake *f = fresh(kLibs[i]);
        auto p = open(kLibs[i].target);
        int n = -9, got = -9;
        char buf[4];
        Results r{p->claim(300), p->send("hello", 5, &n, 0, 0, 0), n, p->recv(buf, 4, &got, 0), got};
        r.insert(r.end(), {p->docStart(9, 0), p->docEnd(), p->release(0), p->release(0)});
        EXPECT_EQ(r, results[i]) << kLibs[i].target;
        EXPECT_STREQ(f->log, logs[i]);
        EXPECT_EQ(std::string(f->sent, f->sentLen), "hello");
        // The event handed to the open is closed at release.
        EXPECT_TRUE(i != 2 || WaitForSingleObject(f->event, 0) == WAIT_FAILED);
    }
}

TEST_F(Vendor, FailuresAndMissingLibraries) {
    enum Op { Claim, Send, Recv, DocStart, DocEnd };
    struct {
        int lib;
        const char *fn;
        int answer, moved;
        Op op;
        int result, count;
    } cases[] = {
        {0, "PrtOpenA", 5, 0, Claim, kCantClaim, 0},  {0, "PrtClaim", 5, 0, Claim, kCantClaim, 0},
        {0, "PrtWrite", 3, 2, Send, kWriteFailed, 2}, {0, "PrtWrite", 0, 2, Send, 0, 2},
        {1, "devOpenA", 1, 0, Claim, kCantClaim, 0},  {1, "devWrite", 1, 0, Send, kWriteFailed, 100},
        {1, "devRead", 1, 0, Recv, kReadFailed, 100}, {1, "devLock", 1, 0, DocStart, 1999, 0},
        {1, "devUnlock", 1, 0, DocEnd, 1999, 0},      {2, "LIOpen", 1, 0, Claim, kCantClaim, 0},
        {2, "LIWrite", 1, 7, Send, kWriteFailed, 7},  {2, "LIRead", 1, 7, Recv, kReadFailed, 7},
        {2, "LILock", 1, 0, DocStart, 1106, 0},       {2, "LIUnlock", 1, 0, DocEnd, 1107, 0},
        {3, "EBInitialize", 1, 0, Claim, 10000, 0},   {3, "EBOpenChannel", -2, 0, Claim, kCantClaim, 0},
        {3, "EBSend", -1, 0, Send, kWriteFailed, 0},  {3, "EBSend", 0, 40, Send, kWriteFailed, 40},
        {3, "EBReceive", -5, 0, Recv, kReadFailed, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fn);
        VendorFake *f = fresh(kLibs[c.lib]);
        f->script[0] = {}, strcpy(f->script[0].fn, c.fn), f->script[0].result = c.answer, f->moved = c.moved;
        auto p = open(kLibs[c.lib].target);
        char buf[100];
        int n = 0, r = p->claim(0);
        if (c.op == Send || c.op == Recv)
            r = c.op == Send ? p->send(buf, 100, &n, 0, 0, 0) : p->recv(buf, 100, &n, 0);
        else if (c.op != Claim)
            r = c.op == DocStart ? p->docStart(0, 0) : p->docEnd();
        EXPECT_EQ((Results{r, n, p->release(0), p->isClaimed()}), (Results{c.result, c.count, 0, 0}));
        // The event made for the open does not outlive it.
        EXPECT_TRUE(c.lib != 2 || c.op != Claim || WaitForSingleObject(f->event, 0) == WAIT_FAILED);
    }
    // Without the libraries, or without a function of one.
    seam.on<&os::Api::LoadLibraryA>([](LPCSTR) -> HMODULE { return nullptr; });
    Results r;
    for (const Lib &lib : {kIbm, kLibs[0], kLibs[1], kLibs[2], kLibs[3]})
        fresh(lib), r.push_back(open(lib.target)->claim(0));
    seam.on<&os::Api::LoadLibraryA>(seam.original<&os::Api::LoadLibraryA>());
    seam.on<&os::Api::GetProcAddress>([](HMODULE, LPCSTR) -> FARPROC { return nullptr; });
    fresh(kLibs[1]), r.push_back(open("KVBSDH")->claim(0));
    EXPECT_EQ(r, (Results{kCantClaim, kCantClaim, kCantClaim, kCantClaim, 10000, kCantClaim}));
}

} // namespace
