#include "NetPeers.h"

#include <ws2tcpip.h>

#include <cstdio>

#include "net/KnpcFrame.h"
#include "support/TestUtil.h"

namespace ptl::test {

namespace {

sockaddr_in endpoint(const std::string &ip, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = inet_addr(ip.c_str());
    return a;
}

// Waits until s is readable or stop is set; true when readable.
bool readable(SOCKET s, const std::atomic<bool> &stop) {
    while (!stop) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval tv{0, 20000};
        int r = select(0, &set, nullptr, nullptr, &tv);
        if (r > 0)
            return true;
        if (r < 0)
            return false;
    }
    return false;
}

} // namespace

void ensureWinsock() {
    static const bool started = [] {
        WSADATA d{};
        return WSAStartup(MAKEWORD(2, 2), &d) == 0;
    }();
    (void)started;
}

Bytes testPattern(size_t n, unsigned seed) {
    const std::string s = testBytes(n, seed);
    return Bytes(s.begin(), s.end());
}

std::string nextLoopback() {
    static std::atomic<int> n{1};
    char text[32];
    snprintf(text, sizeof text, "127.10.0.%d", ++n);
    return text;
}

uint32_t addressOf(const std::string &dotted) {
    return inet_addr(dotted.c_str());
}

TcpPeer::TcpPeer(const std::string &ip, uint16_t port, Mode mode) : mode_(mode) {
    ensureWinsock();
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    const int small = 4096; // the accepted connection inherits it
    if (mode == Mode::Slow)
        setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char *>(&small), sizeof small);
    sockaddr_in a = endpoint(ip, port);
    if (bind(listener_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || listen(listener_, 4) != 0) {
        closesocket(listener_);
        listener_ = INVALID_SOCKET;
        return;
    }
    int len = sizeof a;
    getsockname(listener_, reinterpret_cast<sockaddr *>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { run(); });
}

TcpPeer::~TcpPeer() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    closeClient();
    if (listener_ != INVALID_SOCKET)
        closesocket(listener_);
}

void TcpPeer::run() {
    if (!readable(listener_, stop_))
        return;
    SOCKET c = accept(listener_, nullptr, nullptr);
    if (c == INVALID_SOCKET)
        return;
    client_ = c;
    accepted_ = true;
    char buf[65536];
    while (mode_ != Mode::Hold && readable(c, stop_)) {
        int n = recv(c, buf, mode_ == Mode::Slow ? 2048 : sizeof buf, 0);
        if (mode_ == Mode::Slow)
            Sleep(50); // the reader's pace, not a wait for anything
        if (n <= 0) {
            sawEnd_ = true;
            if (mode_ != Mode::ReadNeverClose)
                closeClient();
            return;
        }
        std::lock_guard<std::mutex> g(lock_);
        data_.insert(data_.end(), buf, buf + n);
    }
}

bool TcpPeer::waitAccepted(DWORD ms) {
    return waitUntil([this] { return accepted_.load(); }, static_cast<int>(ms));
}

bool TcpPeer::waitEnd(DWORD ms) {
    return waitUntil([this] { return sawEnd_.load(); }, static_cast<int>(ms));
}

Bytes TcpPeer::received() {
    std::lock_guard<std::mutex> g(lock_);
    return data_;
}

bool TcpPeer::sendToClient(const Bytes &b) {
    SOCKET c = client_;
    return c != INVALID_SOCKET && send(c, reinterpret_cast<const char *>(b.data()),
                                       static_cast<int>(b.size()), 0) == static_cast<int>(b.size());
}

void TcpPeer::resetClient() {
    SOCKET c = client_.exchange(INVALID_SOCKET);
    if (c == INVALID_SOCKET)
        return;
    linger l{1, 0};
    setsockopt(c, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&l), sizeof l);
    closesocket(c);
}

void TcpPeer::closeClient() {
    SOCKET c = client_.exchange(INVALID_SOCKET);
    if (c != INVALID_SOCKET)
        closesocket(c);
}

UdpPrinter::UdpPrinter(const std::string &ip, Responder responder) : responder_(std::move(responder)) {
    ensureWinsock();
    sock_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = endpoint(ip, 3289);
    // Wine binds a UDP socket given a 127.x address to all addresses, so port 3289 is one per host: another
    // test program may still hold it for a moment.
    const DWORD start = GetTickCount();
    while (bind(sock_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        if (GetTickCount() - start > 10000) {
            closesocket(sock_);
            sock_ = INVALID_SOCKET;
            return;
        }
        Sleep(20);
    }
    thread_ = std::thread([this] { run(); });
}

UdpPrinter::~UdpPrinter() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (sock_ != INVALID_SOCKET)
        closesocket(sock_);
}

void UdpPrinter::run() {
    uint8_t buf[1024];
    while (readable(sock_, stop_)) {
        sockaddr_in from{};
        int fromLen = sizeof from;
        int n = recvfrom(sock_, reinterpret_cast<char *>(buf), sizeof buf, 0,
                         reinterpret_cast<sockaddr *>(&from), &fromLen);
        if (n < 0)
            continue;
        Bytes req(buf, buf + n);
        {
            std::lock_guard<std::mutex> g(lock_);
            requests_.push_back(req);
        }
        for (const Bytes &a : responder_ ? responder_(req) : std::vector<Bytes>{})
            sendto(sock_, reinterpret_cast<const char *>(a.data()), static_cast<int>(a.size()), 0,
                   reinterpret_cast<sockaddr *>(&from), fromLen);
    }
}

std::vector<Bytes> UdpPrinter::requests() {
    std::lock_guard<std::mutex> g(lock_);
    return requests_;
}

int UdpPrinter::requestCount() {
    std::lock_guard<std::mutex> g(lock_);
    return static_cast<int>(requests_.size());
}

Bytes replyTo(const Bytes &request, int result, const Bytes &data) {
    knpc::Request r;
    if (!knpc::parseRequest(request.data(), request.size(), &r))
        return {};
    uint8_t out[knpc::kMaxDatagram + 64];
    size_t n = knpc::buildReply(r, static_cast<uint16_t>(result), data.data(), data.size(), out, sizeof out);
    return Bytes(out, out + n);
}

} // namespace ptl::test
