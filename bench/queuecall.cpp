// What one 4 KiB PtlSend costs a caller of a threaded network port, through ptl.dll: the call that finds
// the send thread waiting for work (it must wake it) against the calls that follow it at once, while the
// thread is already woken; beside both, one blocking 4 KiB send() on a connection of its own after the
// same pause. Each burst starts after a pause long enough for the queue to drain to the receiver.
// Prints "asleep_us=<median> awake_us=<median> send_us=<median>".
//   bench_queuecall <ipv4> [bursts]   (default 200 bursts of 8 calls)
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ptl/ptl.h"

namespace {

constexpr int kBlock = 4096, kBurst = 8;
constexpr DWORD kPauseMs = 10;

double micros(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER freq) {
    return static_cast<double>(b.QuadPart - a.QuadPart) * 1e6 / static_cast<double>(freq.QuadPart);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: bench_queuecall <ipv4> [bursts]\n");
        return 1;
    }
    const int bursts = argc > 2 ? atoi(argv[2]) : 200;
    if (PtlStartup(nullptr) > 0)
        return 1;
    const std::string target = std::string("VQNET@") + argv[1];
    const int h = PtlOpenByName(target.c_str(), PTL_MODE_THREADED);
    if (h == -1 || PtlClaim(h, 0) > 0)
        return 2;
    std::vector<char> block(kBlock, 'x');
    std::vector<double> asleep, awake, plain;
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    PtlDocStart(h, 0, 0);
    for (int b = 0; b < bursts; ++b) {
        Sleep(kPauseMs);
        for (int i = 0; i < kBurst; ++i) {
            int written = 0;
            QueryPerformanceCounter(&t0);
            const int r = PtlSend(h, block.data(), kBlock, &written, 0, 0, 0);
            QueryPerformanceCounter(&t1);
            // The queue holds far more than a burst: a call that took less is no measure of queueing.
            if (r != 0 || written != kBlock)
                return 3;
            (i == 0 ? asleep : awake).push_back(micros(t0, t1, freq));
        }
    }
    PtlDocEnd(h);
    if (PtlRelease(h, 5000) > 0)
        return 3;
    PtlClose(h);

    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(9100);
    a.sin_addr.s_addr = inet_addr(argv[1]);
    if (connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
        return 2;
    for (int b = 0; b < bursts; ++b) {
        Sleep(kPauseMs);
        QueryPerformanceCounter(&t0);
        const int n = send(s, block.data(), kBlock, 0);
        QueryPerformanceCounter(&t1);
        if (n != kBlock)
            return 3;
        plain.push_back(micros(t0, t1, freq));
    }
    shutdown(s, SD_SEND);
    while (recv(s, block.data(), kBlock, 0) > 0) {
    }
    closesocket(s);
    PtlCleanup();
    printf("asleep_us=%.1f awake_us=%.1f send_us=%.1f\n", median(asleep), median(awake), median(plain));
    return 0;
}
