// The Linux side of a pty serial line made by tests/sim/pty-pair.sh (see the area's test.cmake): which
// COM numbers it has, the line's other end opened from Windows, and the terminal settings of the port's
// pty as Linux sees them.
#pragma once

#include <windows.h>

#include <string>

namespace ptl::test {

class PtyLine {
public:
    // Reads PTL_PTY_COM, PTL_PTY_PEER and PTL_PTY_DIR; available() is false without them.
    PtyLine();
    ~PtyLine();
    PtyLine(const PtyLine &) = delete;
    PtyLine &operator=(const PtyLine &) = delete;

    bool available() const { return com_ > 0; }
    int com() const { return com_; }
    std::string comName() const { return "COM" + std::to_string(com_); }

    // The other end, opened once (blocking, read time-outs of readMs in total).
    bool openPeer(DWORD readMs = 300);
    void closePeer();
    bool peerWrite(const std::string &bytes);
    // Reads until want bytes arrived or a read brings nothing within the time-out.
    std::string peerRead(size_t want);
    // Drops whatever is waiting at the other end.
    void peerDrain();

    // "stty -a" of the port's pty, run as a Linux program from this Windows process.
    std::string linuxSettings();

private:
    int com_ = 0;
    int peer_ = 0;
    std::string dir_;
    HANDLE peerHandle_ = INVALID_HANDLE_VALUE;
};

// True when text holds word as a whole blank-separated token ("cstopb" but not "-cstopb").
bool hasToken(const std::string &text, const std::string &word);

} // namespace ptl::test
