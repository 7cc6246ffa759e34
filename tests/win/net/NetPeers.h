// Loopback peers for the network port tests: a TCP listener that accepts one connection and reads or holds
// it as told, and a UDP printer that answers control requests through a script. Each test uses its own
// 127.10.0.x address so that UDP 3289 never collides between tests.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ptl::test {

using Bytes = std::vector<uint8_t>;

// testBytes as a byte vector.
Bytes testPattern(size_t n, unsigned seed = 0);

// A fresh loopback address for this test process, "127.10.0.n" (n from 2 up).
std::string nextLoopback();
uint32_t addressOf(const std::string &dotted); // network byte order

// Starts Windows Sockets for the test program (once).
void ensureWinsock();

class TcpPeer {
public:
    enum class Mode {
        ReadToEnd,      // read until the client closes its side, then close
        ReadNeverClose, // read until the client closes its side, then keep the connection open
        Hold,           // accept and read nothing until told
        Slow,           // read to the end 2 KiB every 50 ms (about 40 KB/s) through a small receive buffer
    };
    TcpPeer(const std::string &ip, uint16_t port, Mode mode);
    ~TcpPeer();
    TcpPeer(const TcpPeer &) = delete;
    TcpPeer &operator=(const TcpPeer &) = delete;

    uint16_t port() const { return port_; }
    bool waitAccepted(DWORD ms);
    // Bytes received so far (copied under the lock).
    Bytes received();
    // True once the client's side was seen closed (a read returned 0).
    bool sawEnd() const { return sawEnd_; }
    bool waitEnd(DWORD ms);
    // Writes bytes to the accepted connection.
    bool sendToClient(const Bytes &b);
    // Closes the accepted connection from this side now.
    void closeClient();
    // Resets the accepted connection (closes it with a zero linger time).
    void resetClient();

private:
    void run();

    SOCKET listener_ = INVALID_SOCKET;
    std::atomic<SOCKET> client_{INVALID_SOCKET};
    uint16_t port_ = 0;
    Mode mode_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> accepted_{false};
    std::atomic<bool> sawEnd_{false};
    std::mutex lock_;
    Bytes data_;
    std::thread thread_;
};

// A UDP "printer" on ip:3289. For each request it calls the responder, which returns the datagrams to send
// back.
class UdpPrinter {
public:
    using Responder = std::function<std::vector<Bytes>(const Bytes &request)>;

    UdpPrinter(const std::string &ip, Responder responder);
    ~UdpPrinter();
    UdpPrinter(const UdpPrinter &) = delete;
    UdpPrinter &operator=(const UdpPrinter &) = delete;

    std::vector<Bytes> requests();
    int requestCount();

private:
    void run();

    SOCKET sock_ = INVALID_SOCKET;
    Responder responder_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<Bytes> requests_;
    std::thread thread_;
};

// The reply a printer gives to a request: lower-case kind, same code, result and data.
Bytes replyTo(const Bytes &request, int result, const Bytes &data);

// One datagram back, from the printer's socket or from another local address.
inline std::vector<Bytes> one(Bytes b) {
    return {std::move(b)};
}
// A responder that answers every request with the given result and data.
inline UdpPrinter::Responder answering(int result, const Bytes &data) {
    return [=](const Bytes &r) { return one(replyTo(r, result, data)); };
}

} // namespace ptl::test
