#include "support/NetSim.h"

#include <atomic>
#include <cstdio>

#include "support/TestUtil.h"

namespace ptl::test {

uint64_t fnv1a64(const void *data, size_t n, uint64_t seed) {
    uint64_t h = seed;
    const auto *p = static_cast<const uint8_t *>(data);
    for (size_t i = 0; i < n; ++i)
        h = (h ^ p[i]) * 0x100000001b3ull;
    return h;
}

std::string hex16(uint64_t v) {
    char t[20];
    snprintf(t, sizeof t, "%016llX", static_cast<unsigned long long>(v));
    return t;
}

namespace {
std::atomic<int> gSims{0};
}

NetSim::NetSim(const std::string &ip, const std::vector<std::string> &extra) : ip_(ip) {
    const int n = ++gSims;
    const std::string tag = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n);
    dir_ = tempPath("netsim" + std::to_string(n));
    CreateDirectoryA(dir_.c_str(), nullptr);
    const std::string readyName = "ptl-netsim-ready-" + tag;
    const std::string stopName = "ptl-netsim-stop-" + tag;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
    stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, stopName.c_str());
    std::vector<std::string> args = {"--address",     ip,        "--out",        dir_,
                                     "--ready-event", readyName, "--stop-event", stopName,
                                     "--lifetime",    "600",     "--quiet"};
    args.insert(args.end(), extra.begin(), extra.end());
    bg_ = std::make_unique<Background>(binDir() + "\\netprinter-sim.exe", args);
    if (bg_->started() && ready != nullptr) {
        ready_ = WaitForSingleObject(ready, 15000) == WAIT_OBJECT_0;
    }
    if (ready != nullptr)
        CloseHandle(ready);
}

NetSim::~NetSim() {
    if (stopEvent_ != nullptr)
        SetEvent(stopEvent_);
    if (bg_)
        bg_->wait(5000);
    if (stopEvent_ != nullptr)
        CloseHandle(stopEvent_);
}

std::string NetSim::waitJob(int n, DWORD ms) {
    const std::string key = "job " + std::to_string(n) + ":";
    const DWORD start = GetTickCount();
    for (;;) {
        const std::string text = out();
        size_t at = text.find(key);
        if (at != std::string::npos) {
            size_t end = text.find_first_of("\r\n", at);
            if (end != std::string::npos)
                return text.substr(at, end - at);
        }
        if (GetTickCount() - start > ms)
            return "";
        Sleep(20);
    }
}

std::string NetSim::jobFile(int n) {
    char name[32];
    snprintf(name, sizeof name, "\\job%04d.bin", n);
    return readFile(dir_ + name);
}

} // namespace ptl::test
