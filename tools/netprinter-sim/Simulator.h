// The simulated network printer: a raw print port that writes each connection's bytes to a job file and
// the UDP control protocol, each with switches for the ways real printers misbehave.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <thread>
#include <vector>

#include "Options.h"
#include "StatusRequest.h"

namespace sim {

// FNV-1a, 64 bits: a cheap fingerprint of a job that tests compare with the file they sent.
struct Fnv1a64 {
    uint64_t value = 0xcbf29ce484222325ull;
    void add(const uint8_t *p, size_t n) {
        for (size_t i = 0; i < n; ++i)
            value = (value ^ p[i]) * 0x100000001b3ull;
    }
};

class Simulator {
public:
    Simulator(const Options &o, FILE *out) : o_(o), out_(out) {}
    ~Simulator();
    Simulator(const Simulator &) = delete;
    Simulator &operator=(const Simulator &) = delete;

    // Opens both ports; false with a message on the output when either cannot be had.
    bool listen();
    // Serves until stopped, the job count is reached or the lifetime is over. Returns the exit code.
    int run();
    // Asks every loop to end (Ctrl+C, the stop event).
    void stop() { stop_ = true; }

private:
    void controlLoop();
    void answer(const uint8_t *req, int n, const sockaddr_in &from, int fromLen);
    void serve(SOCKET c);
    bool shouldEnd();
    // Sleeps ms in short slices so that a stop is seen at once; false when stopped.
    bool pause(int ms);
    void say(const char *format, ...) __attribute__((format(printf, 2, 3)));

    Options o_;
    FILE *out_;
    SOCKET listener_ = INVALID_SOCKET;
    SOCKET control_ = INVALID_SOCKET;
    HANDLE stopEvent_ = nullptr;
    std::thread controlThread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> forceState_{0};
    int jobsDone_ = 0;
    DWORD started_ = 0;
    std::vector<SOCKET> held_; // connections kept open by --never-close
    CRITICAL_SECTION sayLock_;
    bool sayLockReady_ = false;
};

} // namespace sim
