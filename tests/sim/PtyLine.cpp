#include "sim/PtyLine.h"

#include "tools/netprinter-sim/StatusRequest.h"

namespace ptl::test {

PtyLine::~PtyLine() {
    stop_ = true;
    if (answerer_.joinable())
        answerer_.join(); // its reads end within the read time-out
    if (peerHandle_ != INVALID_HANDLE_VALUE)
        CloseHandle(peerHandle_);
}

bool PtyLine::openPeer(DWORD readMs) {
    if (peerHandle_ != INVALID_HANDLE_VALUE)
        return true;
    const std::string path = "\\\\.\\COM" + std::to_string(peer_);
    peerHandle_ =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    COMMTIMEOUTS t{0, 0, readMs, 0, 2000};
    return peerHandle_ != INVALID_HANDLE_VALUE && (SetCommTimeouts(peerHandle_, &t), true);
}

std::string PtyLine::peerRead(size_t want) {
    std::string out;
    char buf[4096];
    for (DWORD n = 1; out.size() < want && n > 0;) {
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(sizeof buf, want - out.size()));
        if (!ReadFile(peerHandle_, buf, ask, &n, nullptr))
            break;
        out.append(buf, n);
    }
    return out;
}

void PtyLine::peerDrain() {
    PurgeComm(peerHandle_, PURGE_RXCLEAR);
    while (!peerRead(65536).empty()) {
    }
}

void PtyLine::answerStatus() {
    answerer_ = std::thread([this] {
        sim::StatusRequest request;
        char c = 0;
        DWORD n = 0;
        while (!stop_ && ReadFile(peerHandle_, &c, 1, &n, nullptr))
            if (const int status = n == 1 ? request.take(static_cast<uint8_t>(c)) : -1; status >= 0) {
                c = static_cast<char>(status);
                WriteFile(peerHandle_, &c, 1, &n, nullptr);
            }
    });
}

} // namespace ptl::test
