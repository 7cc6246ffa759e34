// The status-monitor ports against the fake libraries, installed into the program-files folder as the
// maker's installer would put them there.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "api/HandleTable.h"
#include "fakes/MonitorFakes.h"
#include "monitor/Libraries.h"
#include "os/Version.h"
#include "port/WPort.h"
#include "ptl/ptl.h"
#include "support/Seam.h"
#include "support/TestUtil.h"

using namespace ptl;
using Results = std::vector<int>; // a braced list of calls runs them in order

namespace {

// Installs a fake library into the program-files folder as an installer would (without a folder: takes it
// from beside the test) and hands out its state, reset.
template <class State> State *installed(const char *dll, const char *folder) {
    char dir[MAX_PATH], exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const std::string from = std::string(exe, strrchr(exe, '\\') + 1) + dll;
    std::string to = from;
    if (folder != nullptr) {
        SHGetSpecialFolderPathA(nullptr, dir, CSIDL_PROGRAM_FILES, TRUE);
        SHCreateDirectoryExA(nullptr, (to = std::string(dir) + "\\KAVRO\\" + folder).c_str(), nullptr);
        CopyFileA(from.c_str(), (to += std::string("\\") + dll).c_str(), FALSE); // fails once loaded
    }
    const auto state = reinterpret_cast<FakeStateFn>(GetProcAddress(LoadLibraryA(to.c_str()), "FakeState"));
    return static_cast<State *>(memset(state(), 0, sizeof(State)));
}

class Monitor : public ::testing::Test {
protected:
    void SetUp() override {
        monitor::norvel().forget();
        monitor::olmpax().forget();
    }
    void TearDown() override {
        for (int h : handles)
            PtlClose(h);
    }
    WPort *open(const char *target, int mode) {
        handles.push_back(PtlOpenByName(target, mode));
        return findPort(handles.back());
    }
    int live() { return os::openCount(os::Res::Handle) + os::openCount(os::Res::Thread); }

    NorvelFake *nv = installed<NorvelFake>("Norvel.dll", "Norvel");
    OlmpaxFake *ox = installed<OlmpaxFake>("OLMPAX04.DLL", "KAVRO Retail Driver Suite 4");
    test::Seam seam;
    std::vector<int> handles;
};

TEST_F(Monitor, PathsFromTargetAndSetters) {
    struct {
        const char *target, *name;
        int portNo;
        const char *path;
    } cases[] = {{"OLMPRT", nullptr, 0, "pipe://VQ/OLMPRT001"},
                 {"XDOLM12@10.1.2.3", nullptr, 0, "tcp://10.1.2.3/XD/OLMPRT012"},
                 {"ZROLM", nullptr, 999, "pipe://ZR/OLMPRT999"},
                 {"OLMPRT@10.9.9.9", "tcp://host/VQ/OLMPRT042", 0, "tcp://host/VQ/OLMPRT042"},
                 {"VQOLM3", "tcp://host/VQ/OLMPRT042", 5, "pipe://VQ/OLMPRT005"}};
    for (const auto &c : cases) {
        WPort *p = open(c.target, 0);
        EXPECT_EQ((Results{c.name ? p->setName(c.name) : 0, c.portNo ? p->setPortNo(c.portNo) : 0,
                           p->claim(0), p->setPortNo(2), p->release(0), p->setPortNo(0), p->setPortNo(1000)}),
                  (Results{0, 0, 0, kSystemCallFailed, 0, kInvalidPortNo, kInvalidPortNo}));
        EXPECT_STREQ(nv->path, c.path);
    }
    EXPECT_EQ(open("VQOLM", 0)->setName(std::string(MAX_PATH, 'x').c_str()), kInvalidAddress);
}

TEST_F(Monitor, LibrariesAbsentOrFoundElsewhere) {
    auto *kv = installed<NorvelFake>("KavroPH.dll", nullptr);
    seam.on<&os::Api::LoadLibraryA>([](LPCSTR) -> HMODULE { return nullptr; });
    const int before = live();
    int n = 0;
    for (int mode : {0, 1}) {
        WPort *tulip = open("TULIP", mode);
        EXPECT_EQ((Results{open("OLMPRT", mode)->claim(0), tulip->claim(0), tulip->send("x", 1, &n, 0, 0, 0),
                           tulip->reset()}),
                  (Results{kCantClaim, kCantClaim, kWriteFailed, kResetFailed}));
    }
    EXPECT_EQ(live(), before) << os::openReport();
    // Without a program-files folder (neither from the shell nor from the registry), the client library
    // comes from the normal search.
    seam.on<&os::Api::LoadLibraryA>(seam.original<&os::Api::LoadLibraryA>());
    seam.on<&os::Api::SHGetSpecialFolderPathA>([](HWND, LPSTR, int, BOOL) { return FALSE; });
    seam.on<&os::Api::RegQueryValueExA>([](HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) { return 2L; });
    EXPECT_EQ(open("OLMPRT", 0)->claim(0), 0);
    EXPECT_STREQ(kv->path, "pipe://VQ/OLMPRT001");
    EXPECT_STREQ(nv->path, "");
}

TEST_F(Monitor, StatusesControlsAndFailedClaims) {
    WPort *p = open("OLMPRT", 0);
    const uint32_t statuses[] = {0, 0x80000001u, 0x80000003u, 0x80000006u, 0x80010001u, 0x80060000u, 2, 1};
    const int codes[] = {0, 1001, 1001, 1011, 1018, 1029, 10000, 10000};
    for (int i = 0; i < 8; ++i) {
        const uint32_t status = statuses[i];
        const int code = codes[i];
        nv->lockStatus = nv->registerStatus = nv->ioctlStatus = status;
        const int fail = status ? 1 : 0;
        EXPECT_EQ((Results{p->lock(100), p->unlock(), p->ioctl(1, nullptr, 0, 0, 0, 0),
                           p->registerCallback(0x60002, nullptr, nullptr),
                           p->unregisterCallback(0x60002, nullptr, nullptr), p->reset(), nv->ioctl[0],
                           nv->ioctl[1], p->force(3), nv->ioctl[1], p->force(0), nv->ioctl[0], nv->ioctl[1]}),
                  (Results{code, code, code, code, code, fail * kSystemCallFailed, 0x60060004, -1,
                           fail * kStateFailed, 2, fail * kStateFailed, 0x60060005, 1}));
    }
    const int before = live();
    nv->calls[0] = '\0', nv->registerStatus = 0, nv->lockStatus = 1;
    EXPECT_EQ(p->claim(0), kLockFailed);
    nv->lockStatus = 0, nv->registerStatus = 0x80060000u;
    EXPECT_EQ(p->claim(0), kCantOpen);
    EXPECT_STREQ(nv->calls, "Open Lock UnRegisterCallback Unlock Close Open Lock RegisterCallback "
                            "UnRegisterCallback Unlock Close ");
    EXPECT_EQ(live(), before) << os::openReport();
}

TEST_F(Monitor, DrainCountsBytesAndGivesUpWhenStalled) {
    WPort *p = open("OLMPRT", 1);
    const std::string job = test::testBytes(20000);
    int n = 0;
    nv->chunk = 50; // slow but steady: a drain time shorter than the whole still lets all of it go
    EXPECT_EQ((Results{p->claim(0), p->send(job.data(), 20000, &n, 0, 0, 0), p->release(250), nv->badArgs}),
              (Results{0, 0, 0, 0}));
    EXPECT_EQ(std::string(nv->sent, nv->sentLen), job);
    nv->stalled = 1; // a service that takes nothing is a printer holding off, given up after the drain time
    const DWORD t0 = GetTickCount();
    EXPECT_EQ((Results{p->claim(0), p->send(job.data(), 100, &n, 0, 0, 0), p->release(1000)}),
              (Results{0, 0, kTimeout}));
    EXPECT_GE(GetTickCount() - t0, 1000u);
}

TEST_F(Monitor, ReceivedDataComesOnTheLibrarysThread) {
    auto deliver =
        reinterpret_cast<FakeDeliverFn>(GetProcAddress(GetModuleHandleA("Norvel.dll"), "FakeDeliver"));
    static int hooked;
    WPort *p = open("OLMPRT", 0);
    p->recvHook = [](WPort *, int n) { hooked += n; };
    char buf[16];
    int got = 0;
    EXPECT_EQ((Results{p->claim(0), deliver("status", 6, 0), p->recv(buf, sizeof buf, &got, 0), hooked,
                       p->release(0), deliver("late", 4, 0), deliver("late", 4, 1), hooked}),
              (Results{0, 1, 0, 6, 0, 0, 1, 6})); // removed at release; a library that calls all the same
    EXPECT_EQ(std::string(buf, got), "status");
}

TEST_F(Monitor, LocalPortLibraryFlagsForceReadAndReset) {
    auto *v5 = installed<OlmpaxFake>("OLMPAX01.DLL", "KAVRO Retail Driver Suite 4");
    static DWORD major;
    seam.on<&os::Api::GetVersionExA>([](LPOSVERSIONINFOA v) { return v->dwMajorVersion = major, TRUE; });
    for (int mode : {0, 1}) {
        major = mode ? 6 : 5;
        monitor::olmpax().forget();
        OlmpaxFake *f = mode ? ox : v5, *other = mode ? v5 : ox;
        WPort *p = open("TULIP5", mode);
        ASSERT_EQ(p->claim(0), 0);
        EXPECT_EQ(std::string(f->name) + "|" + other->name, "OLM_LPT1:|");
        EXPECT_EQ(f->flags, mode ? 0x40000080u : 0x80u);
        int n = 0, writes = 0;
        for (int on : {1, 0, 1}) {
            EXPECT_EQ((Results{p->force(on), p->send("ab", 2, &n, 0, 0, 0)}), (Results{0, 0}));
            ++writes; // the send thread writes before the flag changes again
            EXPECT_TRUE(test::waitUntil([&] { return f->plainWrites + f->forcedWrites == writes; }));
        }
        EXPECT_EQ(f->forcedWrites * 10 + f->plainWrites, 21);
        DWORD put = 0;
        WriteFile(f->server, "ok", 2, &put, nullptr);
        std::string got;
        EXPECT_TRUE(test::waitUntil([&] {
            char buf[2];
            return p->recv(buf, 2, &n, 0) == 0 && got.append(buf, static_cast<size_t>(n)) == "ok";
        }));
        f->resetResult = mode;
        EXPECT_EQ((Results{p->reset(), p->release(1000)}), (Results{mode ? 0 : kResetFailed, 0}));
        std::string all; // what the port wrote into its pipe, read once it has closed its end
        for (char buf[64]; ReadFile(f->server, buf, sizeof buf, &put, nullptr) && put > 0;)
            all.append(buf, put);
        CloseHandle(f->server);
        EXPECT_EQ(all, "ababab");
        f->name[0] = '\0';
    }
}

} // namespace
