// The XFS printer port against a real fake MSXFS.DLL (tests/fakes/MSXFS) playing an XFS manager with the
// printer service "NT_DOC": the whole printed report byte for byte, the arguments as the manager got
// them, the flag lines, the manager missing, the service missing, and results without buffers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/Factory.h"
#include "core/Target.h"
#include "support/Seam.h"
#include "support/TestUtil.h"
#include "xfs/WXfs.h"

namespace ptl {
namespace {

// What the fake's test controls answer to.
enum : unsigned { kNoService = 1, kNullResults = 2, kNullBuffers = 4, kRawFails = 8 };

std::string golden(const char *name) {
    std::string dir = __FILE__;
    dir.erase(dir.find_last_of("/\\") + 1);
    return test::readFile("Z:" + dir + name);
}

class Xfs : public ::testing::Test {
protected:
    void SetUp() override {
        HMODULE fake = LoadLibraryA("MSXFS.DLL");
        ASSERT_NE(fake, nullptr);
        setup = reinterpret_cast<void(WINAPI *)(int, unsigned)>(GetProcAddress(fake, "FakeXfsSetup"));
        calls = reinterpret_cast<const char *(WINAPI *)()>(GetProcAddress(fake, "FakeXfsLog"));
        outstanding = reinterpret_cast<int(WINAPI *)()>(GetProcAddress(fake, "FakeXfsOutstanding"));
        ASSERT_TRUE(setup && calls && outstanding);
    }
    // The report of claim, docStart, docEnd and release; with docStartOnly, docStart's part alone.
    std::string run(int fwType, unsigned flags, bool docStartOnly = false) {
        setup(fwType, flags);
        test::CaptureConsole out;
        EXPECT_EQ(port.claim(0), 0);
        const size_t start = out.text().size();
        EXPECT_EQ(port.docStart(0, 0), 0);
        const std::string docStart = out.text().substr(start);
        EXPECT_EQ(port.docEnd(), 0);
        EXPECT_EQ(port.release(0), 0);
        EXPECT_EQ(outstanding(), 0); // every result handed back
        return docStartOnly ? docStart : out.text();
    }

    void(WINAPI *setup)(int, unsigned) = nullptr;
    const char *(WINAPI *calls)() = nullptr;
    int(WINAPI *outstanding)() = nullptr;
    WXfs port;
};

TEST_F(Xfs, WholeReportAndTheArgumentsTheManagerGot) {
    setup(9, 0);
    test::CaptureConsole out;
    EXPECT_EQ(port.claim(0), 0);
    EXPECT_TRUE(port.isClaimed());
    EXPECT_EQ(port.docStart(0, 0), 0);
    EXPECT_EQ(port.docEnd(), 0);
    EXPECT_EQ(port.release(0), 0);
    EXPECT_FALSE(port.isClaimed());
    EXPECT_EQ(out.text(), golden("sequence.out"));
    EXPECT_EQ(calls(), golden("sequence.calls"));
    auto made = test::newPortAs<WPort>(kIfXfs, 5);
    EXPECT_EQ(std::string(made->getIFName()) + std::to_string(made->getIFType()), "XFS56");
}

TEST_F(Xfs, FlagLines) {
    const struct {
        int fwType;
        const char *line;
    } cases[] = {
        {3, " fwType              = 0x3:WFS_PTR_TYPEPASSBOOK WFS_PTR_TYPERECEIPT \n"},
        {5, " fwType              = 0x5:WFS_PTR_TYPERECEIPT WFS_PTR_TYPEJOURNAL \n"},
        {0x10, " fwType              = 0x10:Invalid flag !!\n"},
        {0x1F, " fwType              = 0x1f:WFS_PTR_TYPEPASSBOOK WFS_PTR_TYPEDOCUMENT WFS_PTR_TYPERECEIPT "
               "WFS_PTR_TYPEJOURNAL Invalid flag !!\n"},
    };
    for (const auto &c : cases)
        EXPECT_NE(run(c.fwType, 0, true).find(c.line), std::string::npos) << c.line;
}

TEST_F(Xfs, ResultsWithoutBuffersAreNeverRead) {
    EXPECT_EQ(run(9, kNullResults, true), golden("docstart-null-results.out"));
    EXPECT_EQ(run(9, kNullBuffers, true), golden("docstart-null-buffers.out"));
}

TEST_F(Xfs, SendHandsTheBytesToTheServiceOrRefusesThem) {
    int written = -1;
    setup(9, 0);
    EXPECT_EQ(port.send("abc", 3, &written, 0, 0, 0), kWriteFailed); // nothing open
    EXPECT_EQ(written, 0);
    test::CaptureConsole out;
    port.claim(0);
    EXPECT_EQ(port.send("abc", 3, &written, 0, 0, 0), 0);
    EXPECT_EQ(written, 3);
    EXPECT_NE(std::string(calls()).find("Execute 42 104 30000\n raw 0 3 616263\n"), std::string::npos);
    setup(9, kRawFails);
    EXPECT_EQ(port.send("abc", 3, &written, 0, 0, 0), kWriteFailed);
    EXPECT_EQ(written, 0);
    EXPECT_NE(out.text().find("0 WFSExecute(WFS_CMD_PTR_RAW_DATA)\n-14 WFSExecute(WFS_CMD_PTR_RAW_DATA)\n"),
              std::string::npos);
    int got = -1;
    EXPECT_EQ(port.recv(nullptr, 0, &got, 0), 0);
    EXPECT_EQ(got, 0);
}

TEST_F(Xfs, WithoutTheServiceReleaseDoesNothingAndTheStartUpIsUndoneLater) {
    {
        WXfs other;
        setup(9, kNoService);
        test::CaptureConsole out;
        EXPECT_EQ(other.claim(0), 0);
        EXPECT_EQ(other.service(), 0);
        EXPECT_EQ(other.release(0), 0);
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
