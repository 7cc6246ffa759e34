#include "sim/PtyLine.h"

namespace ptl::test {

PtyLine::~PtyLine() {
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

} // namespace ptl::test
