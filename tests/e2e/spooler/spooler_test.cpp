// The spooler port and rawpush against a real CUPS scheduler (tests/sim/cups.sh): raw queues ptl-a, ptl-b
// and ptl-c (the default) whose backend copies each job to <dir>/out/<queue> with "<job id> <title>" beside
// it. SpoolerCrowded runs later, with nine more queues of long names and ptl-a refusing jobs, and
// SpoolerStopped after the scheduler has stopped.
#include <gtest/gtest.h>

#include <numeric>
#include <regex>

#include "core/Target.h"
#include "extlib/WSpooler.h"
#include "sender/Sender.h"
#include "support/Process.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

using namespace ptl;

namespace {

// What a queue's backend wrote, as "<bytes>|<title>", polled for up to 15 s and then removed; *id gets the
// CUPS job id.
std::string landed(const std::string &queue, int *id = nullptr) {
    const std::string path = std::string("Z:") + getenv("PTL_CUPS_DIR") + "/out/" + queue;
    for (int i = 0; i < 300 && !test::fileExists(path); ++i)
        Sleep(50);
    const std::string job = test::readFile(path + ".job"); // "<id> <title>"
    if (id != nullptr)
        *id = atoi(job.c_str());
    DeleteFileA((path + ".job").c_str());
    std::string got = test::readFile(path) + "|" + job.substr(job.find(' ') + 1);
    DeleteFileA(path.c_str());
    return got;
}

struct Job {
    const char *target;
    std::string bytes;
    int exitCode;
    const char *queue; // null: no job may reach CUPS
};

// Runs each job through rawpush. CUPS numbers the jobs it takes one after another, so consecutive ids of
// the jobs that landed show that the runs between them gave CUPS nothing.
void sendJobs(const std::vector<Job> &jobs) {
    int lastId = 0, id = 0;
    for (const Job &j : jobs) {
        SCOPED_TRACE(j.target);
        test::ProcessResult r = test::runRawpush({test::jobFile("spool.bin", j.bytes), j.target});
        EXPECT_EQ(r.exitCode, j.exitCode) << r.out;
        EXPECT_TRUE(j.exitCode != 1 || r.out.find("PtlClaim()=Can't claim.\r\n") != std::string::npos)
            << r.out;
        if (j.queue == nullptr)
            continue;
        EXPECT_TRUE(landed(j.queue, &id) == j.bytes + "|LIBPTL") << j.bytes.size() << " bytes sent";
        EXPECT_TRUE(lastId == 0 || id == lastId + 1) << lastId << " then " << id;
        lastId = id;
    }
}

// Every byte value, then more than 1200 KiB.
std::string bigJob(unsigned seed) {
    std::string s(256, '\0');
    std::iota(s.begin(), s.end(), '\0');
    return s + test::testBytes(1300 * 1024, seed);
}

} // namespace

TEST(Spooler, JobsReachTheNumberedPrinter) {
    sendJobs({{"SPOOLER", bigJob(1), 0, "ptl-c"},
              {"SPOOLER2", bigJob(2), 0, "ptl-b"},
              {"SPOOLER4", "x", 1, nullptr},
              {"SPOOLER", "", 0, nullptr}, // an empty job is never handed to CUPS
              {"spooler1", "abc", 0, "ptl-a"}});
}

// A name set on the port wins over the number until setPortNo clears it; the caller's DOC_INFO_2 reaches
// the spooler as given; each send logs one line and a release of an unclaimed port none.
TEST(Spooler, NamedPrinterCallersDocumentAndDebugLines) {
    auto port = test::newPortAs<WSpooler>(kIfSpooler, 2); // any mode gives the one spooler port
    EXPECT_STREQ(port->getIFName(), "SPOOLER");
    test::Seam seam;
    seam.captureDebug();
    EXPECT_EQ(port->setPortNo(3) + port->setName("ptl-a"), 0);
    ASSERT_EQ(port->claim(0), 0);
    DOC_INFO_2A doc{const_cast<char *>("Kitchen ticket"), nullptr, const_cast<char *>("RAW"), 0, 0};
    EXPECT_EQ(port->docStart(2, static_cast<int>(reinterpret_cast<intptr_t>(&doc))), 0);
    int written = 0;
    EXPECT_EQ(port->pageStart(7, 7) + port->send("abc", 3, &written, 0, 0, 0), 0);
    EXPECT_EQ(port->send("de", 2, &written, 0, 0, 0) + port->pageEnd() + port->docEnd(), 0);
    char buffer[8];
    EXPECT_EQ(port->recv(buffer, 8, &written, 0), kReadFailed); // Wine's printers send nothing back
    EXPECT_EQ(port->setPortNo(2), kSystemCallFailed);
    EXPECT_EQ(port->release(0) + port->release(0), 0);
    EXPECT_EQ(landed("ptl-a"), "abcde|Kitchen ticket");
    EXPECT_EQ(port->setPortNo(2) + port->claim(0), 0);
    EXPECT_EQ(port->docStart(0, 0) + port->docEnd() + port->release(0), 0);
    std::string lines;
    for (const std::string &line : seam.debugLines())
        lines += line;
    EXPECT_EQ(lines,
              "PTL: WSpooler::claim()\nPTL:  'ptl-a'=1\nPTL: WSpooler::startDocPrinter\n"
              "PTL: WSpooler::startPagePrinter\nPTL: WritePrinter(3, 3)=1\nPTL: WritePrinter(2, 2)=1\n"
              "PTL: WSpooler::endPagePrinter\nPTL: WSpooler::endDocPrinter\nPTL: ReadPrinter(8, 0)=0\n"
              "PTL: WSpooler::release(0)\nPTL: WSpooler::claim()\nPTL:  'ptl-b'=1\n"
              "PTL: WSpooler::startDocPrinter\nPTL: WSpooler::endDocPrinter\nPTL: WSpooler::release(0)\n");
    EXPECT_EQ(os::openCount(os::Res::Printer), 0);
}

// When the spooler refuses the document at its end, the run does not end as a success.
TEST(Spooler, RefusedDocumentEndIsReported) {
    test::Seam seam;
    seam.on<&os::Api::EndDocPrinter>([real = seam.original<&os::Api::EndDocPrinter>()](HANDLE h) -> BOOL {
        real(h);
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    });
    std::string out;
    EXPECT_EQ(test::sendRun({test::jobFile("refused.bin", "refused"), "SPOOLER2"}, &out),
              rawpush::kExitSendFailed);
    EXPECT_NE(out.find("err=10000 dwErr=21\n"), std::string::npos) << out;
    landed("ptl-b");
}

TEST(Spooler, ListingOfTheThreeQueues) {
    const std::regex three("DefaultPrinter=\\[ptl-c\\]\r\n spooler1 'ptl-a'\r\n spooler2 'ptl-b'\r\n"
                           " spooler3 'ptl-c'\r\n\r\n(  [123] '[^'\r\n]+'\r\n){3}");
    EXPECT_TRUE(std::regex_match(test::runRawpush({"-l"}).out, three));
}

// Twelve queues need more than 1200 bytes of level-4 data: numbered selection asks again with the size
// the spooler names, while the listing keeps to its one look and shows no printers. ptl-a refuses jobs;
// Wine's EndDocPrinter still succeeds after CUPS refused, so the run cannot see it and ends with 0.
TEST(SpoolerCrowded, TwelfthPrinterAndARefusingQueue) {
    const std::string twelfth = "ptl-long9-" + std::string(117, 'x');
    sendJobs({{"SPOOLER12", bigJob(3), 0, twelfth.c_str()},
              {"SPOOLER1", "refused", 0, nullptr},
              {"SPOOLER13", "x", 1, nullptr},
              {"SPOOLER12", "last", 0, twelfth.c_str()}});
    EXPECT_EQ(test::runRawpush({"-l"}).out.substr(0, 26), "DefaultPrinter=[ptl-c]\r\n\r\n");
}

// After the scheduler has stopped, Wine drops the printers from the prefix: nothing to list.
TEST(SpoolerStopped, ListingShowsNoPrinters) {
    EXPECT_EQ(test::runRawpush({"-l"}).out, "DefaultPrinter=[]\r\n\r\n");
}
