// The shipped network printer simulator (bin/netprinter-sim.exe) as a child process of a test: started on
// its own loopback address, ready once both ports listen, stopped through a named event at the end.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/Process.h"

namespace ptl::test {

// FNV-1a (64 bits), as the simulator reports for each job.
uint64_t fnv1a64(const void *data, size_t n, uint64_t seed = 0xcbf29ce484222325ull);
std::string hex16(uint64_t v);

class NetSim {
public:
    // ip: the address to listen on; extra: more simulator options. Waits up to 15 s for it to listen.
    NetSim(const std::string &ip, const std::vector<std::string> &extra = {});
    ~NetSim();
    NetSim(const NetSim &) = delete;
    NetSim &operator=(const NetSim &) = delete;

    bool ready() const { return ready_; }
    const std::string &ip() const { return ip_; }
    // The simulator's output so far.
    std::string out() { return bg_->out(); }
    // Waits for the line of job n ("job n: ..."); returns it without the line end, or "" after ms.
    std::string waitJob(int n, DWORD ms);
    // The bytes of job n as the simulator wrote them.
    std::string jobFile(int n);

private:
    std::string ip_;
    std::string dir_;
    HANDLE stopEvent_ = nullptr;
    bool ready_ = false;
    std::unique_ptr<Background> bg_;
};

} // namespace ptl::test
