// A network printer's receiving end as a native Linux program, so that the network figures measure the
// sender under Wine and not a receiver that runs under Wine too: the raw print port (TCP, one job per
// connection, bytes counted and dropped) and a cooperative UDP control channel (every request accepted,
// force reaches the state asked for). Built and run by bench/run.sh, never part of the product.
//   sink <ipv4> [port] [--stall-after BYTES --stall-ms MS]
// Prints "listening", then per job "job N: BYTES bytes" (and "stall begin"/"stall end" around a pause in
// reading), each line flushed.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "net/KnpcFrame.h"

namespace knpc = ptl::knpc;

namespace {

int boundSocket(int type, in_addr_t address, uint16_t port) {
    int s = socket(AF_INET, type, 0);
    int one = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = address;
    if (s < 0 || bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        perror("bind");
        exit(1);
    }
    return s;
}

// Answers like a printer that accepts everything.
void controlLoop(int s) {
    uint8_t in[knpc::kMaxDatagram], out[knpc::kMaxDatagram], data[knpc::kInfoTextMax] = {};
    int forceState = 0;
    for (;;) {
        sockaddr_in from{};
        socklen_t fromLen = sizeof from;
        ssize_t n = recvfrom(s, in, sizeof in, 0, reinterpret_cast<sockaddr *>(&from), &fromLen);
        knpc::Request r;
        if (n <= 0 || !knpc::parseRequest(in, static_cast<size_t>(n), &r))
            continue;
        size_t len = 0;
        switch (r.code[3]) {
        case knpc::kCmdForce:
            forceState = r.dataAvail > 0 ? r.data[0] : forceState;
            data[0] = static_cast<uint8_t>(forceState);
            len = 1;
            break;
        case knpc::kCmdInfo:
            len = knpc::kInfoTextMax;
            break;
        case knpc::kCmdId:
            len = knpc::kIdTextMax;
            break;
        case knpc::kCmdCheck:
            len = knpc::kCheckDataSize;
            break;
        default:
            break;
        }
        size_t m = knpc::buildReply(r, 0, data, len, out, sizeof out);
        sendto(s, out, m, 0, reinterpret_cast<sockaddr *>(&from), fromLen);
        data[0] = 0;
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: sink <ipv4> [port] [--stall-after BYTES --stall-ms MS]\n");
        return 2;
    }
    const in_addr_t address = inet_addr(argv[1]);
    uint16_t port = 9100;
    long long stallAfter = -1;
    int stallMs = 0;
    for (int i = 2; i < argc; ++i) {
        if (strcmp(argv[i], "--stall-after") == 0 && i + 1 < argc)
            stallAfter = atoll(argv[++i]);
        else if (strcmp(argv[i], "--stall-ms") == 0 && i + 1 < argc)
            stallMs = atoi(argv[++i]);
        else
            port = static_cast<uint16_t>(atoi(argv[i]));
    }
    int control = boundSocket(SOCK_DGRAM, address, knpc::kUdpPort);
    std::thread(controlLoop, control).detach();
    int listener = boundSocket(SOCK_STREAM, address, port);
    listen(listener, 4);
    printf("listening\n");
    fflush(stdout);
    std::vector<char> buffer(256 * 1024);
    for (int job = 1;; ++job) {
        int c = accept(listener, nullptr, nullptr);
        if (c < 0)
            continue;
        long long total = 0;
        bool stalled = false;
        for (ssize_t n; (n = recv(c, buffer.data(), buffer.size(), 0)) > 0;) {
            total += n;
            if (!stalled && stallAfter >= 0 && total >= stallAfter) {
                stalled = true;
                printf("stall begin\n");
                fflush(stdout);
                std::this_thread::sleep_for(std::chrono::milliseconds(stallMs));
                printf("stall end\n");
                fflush(stdout);
            }
        }
        close(c);
        printf("job %d: %lld bytes\n", job, total);
        fflush(stdout);
    }
}
