// The XFS printer port against a real fake MSXFS.DLL (tests/fakes/MSXFS) playing an XFS manager with the
// printer service "NT_DOC": the whole report byte for byte, the arguments as the manager got them, the
// flag lines, results without buffers, the send, the service missing and the manager missing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/Target.h"
#include "support/Seam.h"
#include "support/TestUtil.h"
#include "xfs/WXfs.h"

namespace ptl {
namespace {

enum : unsigned { kNoService = 1, kNullResults = 2, kNullBuffers = 4, kRawFails = 8 }; // the fake's switches

std::string golden(const char *name) {
    return test::readFile(std::string("Z:") + PTL_XFS_GOLDEN_DIR + name);
}

class Xfs : public ::testing::Test {
protected:
    void SetUp() override {
        HMODULE fake = LoadLibraryA("MSXFS.DLL");
        setup = reinterpret_cast<decltype(setup)>(GetProcAddress(fake, "FakeXfsSetup"));
        calls = reinterpret_cast<decltype(calls)>(GetProcAddress(fake, "FakeXfsLog"));
        outstanding = reinterpret_cast<decltype(outstanding)>(GetProcAddress(fake, "FakeXfsOutstanding"));
        ASSERT_TRUE(setup && calls && outstanding);
    }
    // What claim, docStart, docEnd and release print; with docStartOnly, docStart's part alone.
    std::string run(int fwType, unsigned flags, bool docStartOnly = false) {
        setup(fwType, flags);
        test::CaptureConsole out;
        EXPECT_EQ(port.claim(0), 0);
        const size_t start = out.text().size();
        EXPECT_EQ(port.docStart(0, 0), 0);
        const std::string docStart = out.text().substr(start);
        EXPECT_EQ(port.docEnd() + port.release(0), 0);
        EXPECT_EQ(outstanding(), 0); // every result handed back
        return docStartOnly ? docStart : out.text();
    }

    void(WINAPI *setup)(int, unsigned) = nullptr;
    const char *(WINAPI *calls)() = nullptr;
    int(WINAPI *outstanding)() = nullptr;
    WXfs port;
};

TEST_F(Xfs, WholeReportAndTheArgumentsTheManagerGot) {
    EXPECT_EQ(run(9, 0), golden("sequence.out"));
    EXPECT_EQ(calls(), golden("sequence.calls"));
    EXPECT_FALSE(port.isClaimed());
    EXPECT_EQ(run(9, kNullResults, true), golden("docstart-null-results.out"));
    EXPECT_EQ(run(9, kNullBuffers, true), golden("docstart-null-buffers.out"));
    auto made = test::newPortAs<WPort>(kIfXfs, 5);
    EXPECT_EQ(made->getIFName() + std::to_string(made->getIFType()), "XFS56");
}

// Every name in order, then a bit outside them, on one line (the report's 0x9 leaves the absent ones out).
TEST_F(Xfs, FlagLine) {
    EXPECT_NE(run(0x1f, 0, true)
                  .find(" fwType              = 0x1f:WFS_PTR_TYPEPASSBOOK WFS_PTR_TYPEDOCUMENT "
                        "WFS_PTR_TYPERECEIPT WFS_PTR_TYPEJOURNAL Invalid flag !!\n"),
              std::string::npos);
}

TEST_F(Xfs, SendHandsTheBytesToTheServiceOrRefusesThem) {
    int written = -1;
    EXPECT_EQ(port.send("abc", 3, &written, 0, 0, 0), kWriteFailed); // nothing open
    EXPECT_EQ(written, 0);
    test::CaptureConsole out;
    setup(9, 0);
    port.claim(0);
    EXPECT_EQ(port.send("abc", 3, &written, 0, 0, 0), 0);
    EXPECT_EQ(written, 3);
    EXPECT_NE(std::string(calls()).find("Execute 42 104 30000\n raw 0 3 616263\n"), std::string::npos);
    setup(9, kRawFails);
    EXPECT_EQ(port.send("abc", 3, &written, 0, 0, 0), kWriteFailed);
    EXPECT_EQ(written, 0);
    EXPECT_NE(out.text().find("0 WFSExecute(WFS_CMD_PTR_RAW_DATA)\n-14 WFSExecute(WFS_CMD_PTR_RAW_DATA)\n"),
              std::string::npos);
}

TEST_F(Xfs, WithoutTheServiceReleaseDoesNothingAndTheStartUpIsUndoneAtClose) {
    {
        WXfs other;
        setup(9, kNoService);
        test::CaptureConsole out;
        EXPECT_EQ(other.claim(0) + other.service() + other.release(0), 0);
        EXPECT_EQ(out.text().substr(out.text().size() - 12), "-43 WFSOpen\n");
        EXPECT_EQ(std::string(calls()).find("Close"), std::string::npos);
    }
    EXPECT_NE(std::string(calls()).find("\nDestroyAppHandle 00C0FFEE\nCleanUp\n"), std::string::npos);
}

TEST_F(Xfs, WithoutTheManagerEveryCallAnswersMinus999) {
    test::Seam seam;
    auto lookup = seam.original<&os::Api::GetProcAddress>();
    seam.on<&os::Api::GetProcAddress>([lookup](HMODULE m, LPCSTR name) -> FARPROC {
        const bool named = reinterpret_cast<uintptr_t>(name) > 0xFFFF;
        return named && std::strncmp(name, "WFS", 3) == 0 ? nullptr : lookup(m, name);
    });
    test::CaptureConsole out;
    EXPECT_EQ(port.claim(0), 0);
    EXPECT_FALSE(port.isClaimed());
    EXPECT_EQ(out.text(),
              "-999 WFSStartUp\n wVersion       = 0000 Ver.00.00\n wLowVersion    = 0000 Ver.00.00\n"
              " wHighVersion   = 0000 Ver.00.00\n szDescription  = \n szSystemStatus = \n"
              "-999 WFSCreateAppHandle\n hApp=00000000\n Logical name = 'NT_DOC'\n-999 WFSOpen\n");
    EXPECT_EQ(port.docStart(0, 0), 0);
    EXPECT_NE(out.text().find("-999 WFSExecute(WFS_CMD_PTR_CONTROL_MEDIA)\n"), std::string::npos);
    int written = -1;
    EXPECT_EQ(port.send("x", 1, &written, 0, 0, 0), kWriteFailed);
    EXPECT_EQ(written, 0);
}

} // namespace
} // namespace ptl
