// Console, dump and file ports.
#include <gtest/gtest.h>

#include <string>

#include "api/Factory.h"
#include "core/IfTypes.h"
#include "core/Results.h"
#include "port/WConsole.h"
#include "port/WFile.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

using namespace ptl;

TEST(Dump, ThreeHundredBytesInTwoCallsWithoutAGap) {
    test::CaptureConsole cap;
    WDump d;
    std::string data(300, 'A');
    int w = 0;
    d.send(data.data(), 100, &w, 0, 0, 0);
    d.claim(0); // claims and releases do not reset the offset
    d.release(0);
    d.send(data.data() + 100, 200, &w, 0, 0, 0);
    std::string text = cap.text();
    EXPECT_EQ(text.find(">000000: "), 0u);
    EXPECT_NE(text.find(">000063:  65  41h  A   \n>000064:  65  41h  A   \n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 24), ">00012B:  65  41h  A   \n");
}

// Its failure (1101, with the system's error) is checked by RawpushE2e.ExitCodesAndTexts (its CON row),
// where the output is a file.
TEST(Console, WritesToTheStandardOutputThroughConsoleWrite) {
    test::Seam seam;
    std::string seen;
    seam.on<&os::Api::WriteConsoleA>([&](HANDLE h, const VOID *p, DWORD n, LPDWORD w, LPVOID) -> BOOL {
        EXPECT_EQ(h, GetStdHandle(STD_OUTPUT_HANDLE));
        seen.append(static_cast<const char *>(p), n);
        *w = n;
        return TRUE;
    });
    WConsole c;
    EXPECT_EQ(c.claim(0), 0);
    int w = 0;
    EXPECT_EQ(c.send("hello", 5, &w, 0, 0, 0), 0);
    EXPECT_EQ(w, 5);
    EXPECT_EQ(seen, "hello");
    EXPECT_EQ(c.release(0), 0);
    EXPECT_TRUE(c.isClaimed());
}

TEST(File, ClaimTruncatesAndLogs) {
    test::Seam seam;
    seam.captureDebug();
    const std::string path = test::tempPath("file_port.bin");
    test::writeFile(path, "old contents that must go");
    WFile f;
    EXPECT_EQ(f.setName(path.c_str()), 0);
    EXPECT_EQ(f.claim(0), 0);
    int w = 0;
    EXPECT_EQ(f.send("abc", 3, &w, 0, 0, 0), 0);
    EXPECT_EQ(f.claim(0), 0); // second claim closes and truncates
    EXPECT_EQ(f.send("xy", 2, &w, 0, 0, 0), 0);
    EXPECT_EQ(f.release(250), 0);
    EXPECT_EQ(test::readFile(path), "xy");
    EXPECT_EQ(seam.debugCount("PTL: WFile::claim(" + path + ")\n"), 2);
    EXPECT_EQ(seam.debugCount("PTL: WFile::release(0)\n"), 1); // from the second claim
    EXPECT_EQ(seam.debugCount("PTL: WFile::release(250)\n"), 1);
    EXPECT_EQ(f.release(250), 0);
    EXPECT_EQ(seam.debugCount("PTL: WFile::release(250)\n"), 1); // no line when not claimed
}

// An empty name cannot be claimed either: NamesFitWholeOrAreRefusedEmpty.
TEST(File, FailuresLeaveNothingOpen) {
    int open = os::openTotal();
    WFile f;
    f.setName((test::tempPath("no_such_dir") + "\\x.bin").c_str());
    EXPECT_EQ(f.claim(0), kCantClaim);
    EXPECT_FALSE(f.isClaimed());
    int w = 9;
    EXPECT_EQ(f.send("x", 1, &w, 0, 0, 0), kWriteFailed);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(os::openTotal(), open);
}

// A name fits with its NUL or is refused whole: a cut path would write the job to another file, a cut
// printer name would reach another printer.
TEST(File, NamesFitWholeOrAreRefusedEmpty) {
    WFile f;
    auto spooler = newPort(kIfSpooler, 0);
    for (WPort *p : {static_cast<WPort *>(&f), spooler.get()}) {
        char name[300] = "zz";
        EXPECT_EQ(p->setName(std::string(259, 'n').c_str()), 0);
        EXPECT_EQ(p->getName(name), 0);
        EXPECT_EQ(std::string(name), std::string(259, 'n'));
        EXPECT_EQ(p->setName(std::string(260, 'n').c_str()), kCantOpen);
        EXPECT_EQ(p->getName(name), 0);
        EXPECT_STREQ(name, "");
        EXPECT_EQ(p->claim(0), kCantClaim);
    }
}

TEST(File, WriteFailureIs1101) {
    const std::string path = test::tempPath("file_fail.bin");
    WFile f;
    f.setName(path.c_str());
    ASSERT_EQ(f.claim(0), 0);
    test::Seam seam;
    seam.failNth<&os::Api::WriteFile>(1, FALSE, ERROR_DISK_FULL);
    int w = 9;
    EXPECT_EQ(f.send("abc", 3, &w, 0, 0, 0), kWriteFailed);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(f.send("abc", 3, &w, 0, 0, 0), 0);
    EXPECT_EQ(w, 3);
}
