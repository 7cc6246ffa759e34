#include "Simulator.h"

#include <ws2tcpip.h>

#include <cstdarg>
#include <cstring>
#include <string>

#include "net/KnpcFrame.h"

namespace knpc = ptl::knpc;

namespace sim {

namespace {

constexpr DWORD kPollMs = 50; // longest time a loop goes without looking at the stop conditions

bool readable(SOCKET s, DWORD ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{static_cast<long>(ms / 1000), static_cast<long>((ms % 1000) * 1000)};
    return select(0, &set, nullptr, nullptr, &tv) > 0;
}

} // namespace

Simulator::~Simulator() {
    stop_ = true;
    if (controlThread_.joinable())
        controlThread_.join();
    for (SOCKET s : held_)
        closesocket(s);
    if (listener_ != INVALID_SOCKET)
        closesocket(listener_);
    if (control_ != INVALID_SOCKET)
        closesocket(control_);
    if (stopEvent_ != nullptr)
        CloseHandle(stopEvent_);
    if (sayLockReady_)
        DeleteCriticalSection(&sayLock_);
}

void Simulator::say(const char *format, ...) {
    char line[512];
    va_list ap;
    va_start(ap, format);
    vsnprintf(line, sizeof line, format, ap);
    va_end(ap);
    EnterCriticalSection(&sayLock_);
    fputs(line, out_);
    fflush(out_);
    LeaveCriticalSection(&sayLock_);
}

bool Simulator::listen() {
    InitializeCriticalSection(&sayLock_);
    sayLockReady_ = true;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = inet_addr(o_.address.c_str());
    if (a.sin_addr.s_addr == INADDR_NONE) {
        say("netprinter-sim: not an IPv4 address: %s\n", o_.address.c_str());
        return false;
    }
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    a.sin_port = htons(o_.port);
    if (listener_ == INVALID_SOCKET || bind(listener_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 ||
        ::listen(listener_, 4) != 0) {
        say("netprinter-sim: cannot listen on %s:%u (error %d)\n", o_.address.c_str(), o_.port,
            WSAGetLastError());
        return false;
    }
    control_ = socket(AF_INET, SOCK_DGRAM, 0);
    a.sin_port = htons(o_.controlPort);
    // Under Wine the UDP port is taken for every address; another simulator may be ending right now.
    const DWORD start = GetTickCount();
    while (control_ == INVALID_SOCKET || bind(control_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        if (control_ == INVALID_SOCKET || GetTickCount() - start > 10000) {
            say("netprinter-sim: cannot bind UDP %s:%u (error %d)\n", o_.address.c_str(), o_.controlPort,
                WSAGetLastError());
            return false;
        }
        Sleep(50);
    }
    if (!o_.stopEvent.empty()) {
        stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, o_.stopEvent.c_str());
        if (stopEvent_ == nullptr) {
            say("netprinter-sim: cannot open stop event %s\n", o_.stopEvent.c_str());
            return false;
        }
    }
    return true;
}

bool Simulator::shouldEnd() {
    if (stop_)
        return true;
    if (stopEvent_ != nullptr && WaitForSingleObject(stopEvent_, 0) == WAIT_OBJECT_0)
        stop_ = true;
    if (o_.lifetimeS > 0 && GetTickCount() - started_ >= static_cast<DWORD>(o_.lifetimeS) * 1000) {
        say("netprinter-sim: lifetime over\n");
        stop_ = true;
    }
    if (o_.jobs > 0 && jobsDone_ >= o_.jobs)
        stop_ = true;
    return stop_;
}

bool Simulator::pause(int ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(ms)) {
        if (stop_)
            return false;
        DWORD left = static_cast<DWORD>(ms) - (GetTickCount() - start);
        Sleep(left < kPollMs ? left : kPollMs);
    }
    return !stop_;
}

int Simulator::run() {
    started_ = GetTickCount();
    controlThread_ = std::thread([this] { controlLoop(); });
    say("netprinter-sim: listening on %s tcp %u udp %u\n", o_.address.c_str(), o_.port, o_.controlPort);
    if (!o_.readyEvent.empty()) {
        HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, o_.readyEvent.c_str());
        if (ready == nullptr)
            ready = CreateEventA(nullptr, TRUE, FALSE, o_.readyEvent.c_str());
        if (ready != nullptr) {
            SetEvent(ready);
            CloseHandle(ready);
        }
    }
    while (!shouldEnd()) {
        if (!readable(listener_, kPollMs))
            continue;
        SOCKET c = accept(listener_, nullptr, nullptr);
        if (c == INVALID_SOCKET)
            continue;
        serve(c);
    }
    say("netprinter-sim: end after %d job(s)\n", jobsDone_);
    return 0;
}

void Simulator::serve(SOCKET c) {
    const int job = jobsDone_ + 1;
    char name[32];
    snprintf(name, sizeof name, "job%04d.bin", job);
    const std::string path = o_.outDir + "\\" + name;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!o_.discard) {
        file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            say("netprinter-sim: cannot write %s\n", path.c_str());
    }
    std::vector<char> buf(static_cast<size_t>(o_.readSize));
    uint64_t total = 0;
    uint64_t nextStall = o_.stallEvery;
    Fnv1a64 hash;
    StatusRequest request;
    const char *how = "complete";
    for (;;) {
        if (stop_) {
            how = "cut short by the end of the program";
            break;
        }
        if (!readable(c, kPollMs)) {
            shouldEnd(); // the lifetime and stop event still apply while a client is connected
            continue;
        }
        int want = o_.readSize;
        if (o_.resetAfter > 0 && o_.resetAfter - total < static_cast<uint64_t>(want))
            want = static_cast<int>(o_.resetAfter - total);
        int n = recv(c, buf.data(), want, 0);
        if (n < 0) {
            how = "connection failed";
            say("netprinter-sim: job %d receive error %d\n", job, WSAGetLastError());
            break;
        }
        if (n == 0)
            break;
        total += static_cast<uint64_t>(n);
        hash.add(reinterpret_cast<const uint8_t *>(buf.data()), static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            if (const int status = request.take(static_cast<uint8_t>(buf[i])); status >= 0) {
                const char reply = static_cast<char>(status);
                send(c, &reply, 1, 0);
            }
        if (file != INVALID_HANDLE_VALUE) {
            DWORD w = 0;
            WriteFile(file, buf.data(), static_cast<DWORD>(n), &w, nullptr);
        }
        if (o_.resetAfter > 0 && total >= o_.resetAfter) {
            linger l{1, 0}; // closing with a zero linger time sends a reset
            setsockopt(c, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&l), sizeof l);
            closesocket(c);
            c = INVALID_SOCKET;
            how = "reset by the printer";
            break;
        }
        if (o_.readDelayMs > 0)
            pause(o_.readDelayMs);
        if (nextStall > 0 && total >= nextStall) {
            pause(o_.stallMs);
            while (nextStall <= total)
                nextStall += o_.stallEvery;
        }
    }
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    ++jobsDone_;
    say("job %d: %llu bytes fnv1a64 %016llX %s%s%s\n", job, static_cast<unsigned long long>(total),
        static_cast<unsigned long long>(hash.value), how, o_.discard ? "" : " -> ",
        o_.discard ? "" : path.c_str());
    if (c == INVALID_SOCKET)
        return;
    if (o_.neverClose) {
        held_.push_back(c);
        return;
    }
    shutdown(c, SD_BOTH);
    closesocket(c);
}

void Simulator::controlLoop() {
    uint8_t buf[2048];
    while (!stop_) {
        if (!readable(control_, kPollMs))
            continue;
        sockaddr_in from{};
        int fromLen = sizeof from;
        int n = recvfrom(control_, reinterpret_cast<char *>(buf), sizeof buf, 0,
                         reinterpret_cast<sockaddr *>(&from), &fromLen);
        if (n < 0)
            continue;
        answer(buf, n, from, fromLen);
    }
}

void Simulator::answer(const uint8_t *req, int n, const sockaddr_in &from, int fromLen) {
    knpc::Request r;
    if (!knpc::parseRequest(req, static_cast<size_t>(n), &r)) {
        if (!o_.quiet)
            say("control: %d bytes ignored (not a request)\n", n);
        return;
    }
    const uint8_t cmd = r.code[3];
    uint8_t data[knpc::kInfoTextMax] = {};
    size_t len = 0;
    int result = o_.refuse;
    const bool known = r.code[0] == knpc::kCodeLead && r.code[1] == 0 && r.code[2] == 0;
    if (known && r.kind == knpc::kKindControl && cmd == knpc::kCmdReset) {
        forceState_ = 0;
        data[0] = r.dataAvail > 0 ? r.data[0] : 0;
        len = 1;
    } else if (known && r.kind == knpc::kKindControl && cmd == knpc::kCmdForce && r.dataAvail > 0) {
        const int want = r.data[0] != 0 ? 1 : 0;
        if (!o_.forceNever)
            forceState_ = want;
        data[0] = static_cast<uint8_t>(o_.forceNever ? !want : forceState_.load());
        len = 1;
    } else if (known && r.kind == knpc::kKindQuery && cmd == knpc::kCmdInfo) {
        len = knpc::kInfoTextMax;
        memcpy(data, o_.info.data(), o_.info.size() < len ? o_.info.size() : len);
    } else if (known && r.kind == knpc::kKindQuery && cmd == knpc::kCmdId) {
        len = knpc::kIdTextMax;
        memcpy(data, o_.id.data(), o_.id.size() < len ? o_.id.size() : len);
    } else if (known && r.kind == knpc::kKindQuery && cmd == knpc::kCmdCheck) {
        len = knpc::kCheckDataSize; // status bytes: all clear
    } else {
        result = 1; // not a request this printer knows
    }
    if (!o_.quiet)
        say("control: %c %02X%02X%02X%02X%s\n", r.kind, r.code[0], r.code[1], r.code[2], cmd,
            o_.silent ? " (silent)" : "");
    if (o_.silent)
        return;
    uint8_t out[knpc::kMaxDatagram];
    size_t m = knpc::buildReply(r, static_cast<uint16_t>(result), data, len, out, sizeof out);
    if (m > 0)
        sendto(control_, reinterpret_cast<const char *>(out), static_cast<int>(m), 0,
               reinterpret_cast<const sockaddr *>(&from), fromLen);
}

} // namespace sim
