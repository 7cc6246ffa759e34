// A pty serial line made by tests/sim/pty-pair.sh (see the area's test.cmake): which COM numbers it has,
// and the line's other end opened from Windows.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

namespace ptl::test {

class PtyLine {
public:
    // available() is false without PTL_PTY_COM and PTL_PTY_PEER.
    PtyLine() : com_(number("PTL_PTY_COM")), peer_(number("PTL_PTY_PEER")) {}
    ~PtyLine();
    PtyLine(const PtyLine &) = delete;
    PtyLine &operator=(const PtyLine &) = delete;

    bool available() const { return com_ > 0; }
    std::string comName() const { return "COM" + std::to_string(com_); }

    // The other end, opened once (blocking, read time-outs of readMs in total).
    bool openPeer(DWORD readMs = 300);
    // Reads until want bytes arrived or a read brings nothing within the time-out.
    std::string peerRead(size_t want);
    // Drops whatever is waiting at the other end.
    void peerDrain();
    // From now on the other end answers status requests as a receipt printer does (and reads nothing else).
    void answerStatus();

private:
    static int number(const char *name) { return std::getenv(name) ? std::atoi(std::getenv(name)) : 0; }
    int com_, peer_;
    HANDLE peerHandle_ = INVALID_HANDLE_VALUE;
    std::atomic<bool> stop_{false};
    std::thread answerer_;
};

} // namespace ptl::test
