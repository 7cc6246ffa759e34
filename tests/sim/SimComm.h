// A simulated communications device behind the system-call seam: a serial line with DCB, time-outs,
// modem lines, hold bits, line errors and communication events, or a parallel port with its driver's
// requests. Overlapped reads, writes and event waits stay real in shape: they pend, complete through the
// caller's event and can be cancelled, so the engine's threads run exactly as against a driver.
//
//   ptl::test::Seam seam;
//   ptl::test::SimComm dev(seam, "\\\\.\\COM3");
//   dev.feed("abc");                         // bytes arrive from the printer
//   dev.holdWrites(true);                    // the printer takes nothing (writes pend)
//   EXPECT_EQ(dev.written(), "...");
//
// Calls on handles that are not the device's go to the entries that were there before.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "support/Seam.h"

namespace ptl::test {

// Polls pred every few milliseconds until it holds or timeoutMs pass; true when it held.
bool waitUntil(const std::function<bool()> &pred, int timeoutMs = 5000);

class SimComm {
public:
    struct Ioctl {
        DWORD code;
        std::string input;
        DWORD outputSize;
    };

    // Installs the device; devicePath is the path that opens it ("\\.\COM3", "\\.\LPT1").
    SimComm(Seam &seam, std::string devicePath);
    ~SimComm();
    SimComm(const SimComm &) = delete;
    SimComm &operator=(const SimComm &) = delete;

    // --- Namespace --------------------------------------------------------------------------------
    // The raw device target an alias must point at to reach this device.
    void setDeviceTarget(const std::string &target);
    // What QueryDosDeviceA answers for a DOS name; without an entry it fails.
    void setDosTargets(const std::string &dosName, const std::vector<std::string> &targets);
    // Presents an NT-family system (default) or a 9x one through GetVersionExA.
    void setNt(bool nt);
    // Aliases defined now: name -> target.
    std::map<std::string, std::string> aliases();

    // --- Behaviour --------------------------------------------------------------------------------
    void feed(const std::string &bytes); // bytes arrive; EV_RXCHAR when asked for
    void lineError(DWORD commErrors);    // e.g. CE_FRAME; EV_ERR when asked for
    void setHold(bool cts, bool dsr, bool xoff);
    void setModemStatus(DWORD status);
    void setCommErrors(DWORD errors); // what ClearCommError reports next (parallel: CE_OOP...)
    void holdWrites(bool hold);       // while held, overlapped writes pend; releasing completes them
    // Every pending read and write completes now with error and nothing moved.
    void failPending(DWORD error);
    // The n-th call (1-based, counted from now) of the named entry fails with error.
    void failNth(const std::string &entry, int n, DWORD error);
    // Parallel driver answers.
    void setParStatus(unsigned char status);
    void setDeviceId(const std::string &id);
    void refuseIoctls(bool refuse);

    // --- Observation ------------------------------------------------------------------------------
    std::vector<std::string> calls();   // "SetCommState", "EscapeCommFunction 5", "CreateFileA \\.\COM3" ...
    int count(const std::string &call); // calls equal to call
    DCB dcb();
    std::vector<DCB> statesSet(); // every DCB given to SetCommState, in order
    COMMTIMEOUTS timeouts();
    DWORD eventMask();
    bool dtr();
    bool rts();
    std::string written();
    std::vector<DWORD> writeSizes(); // size asked of each WriteFile
    size_t pendingWrites();
    int readCalls();
    std::vector<Ioctl> ioctls();
    bool isOpen();

private:
    struct Op {
        enum Kind { Read, Write, Wait } kind;
        HANDLE handle;
        OVERLAPPED *ov;
        void *buffer;
        DWORD len;
        DWORD *mask;
        DWORD thread;
    };
    struct Done {
        DWORD error;
        DWORD bytes;
    };

    bool isDevice(HANDLE h);
    bool shouldFail(const std::string &entry, DWORD *error); // under lock_
    void record(const std::string &call);                    // under lock_
    void complete(Op op, DWORD error, DWORD bytes);          // under lock_
    void serveReads();                                       // under lock_
    void raise(DWORD events);                                // under lock_
    void install(Seam &seam);

    std::mutex lock_;
    os::Api previous_;
    std::string devicePath_;
    std::string deviceTarget_ = "\\Device\\Serial2";
    std::map<std::string, std::vector<std::string>> dosTargets_;
    std::map<std::string, std::string> aliases_;
    bool nt_ = true;
    HANDLE open_ = nullptr;

    std::vector<std::string> calls_;
    std::map<std::string, std::vector<std::pair<int, DWORD>>> failures_; // entry -> (countdown, error)

    DCB dcb_{};
    std::vector<DCB> statesSet_;
    COMMTIMEOUTS timeouts_{};
    DWORD mask_ = 0;
    DWORD events_ = 0;
    DWORD modem_ = 0;
    DWORD errors_ = 0;
    bool ctsHold_ = false, dsrHold_ = false, xoffHold_ = false;
    bool dtr_ = false, rts_ = false;
    std::string rx_;
    std::string tx_;
    std::vector<DWORD> writeSizes_;
    bool holdWrites_ = false;
    int readCalls_ = 0;
    std::vector<Op> pending_;
    std::map<OVERLAPPED *, Done> done_;
    unsigned char parStatus_ = 0;
    std::string deviceId_;
    bool refuseIoctls_ = false;
    std::vector<Ioctl> ioctls_;
};

} // namespace ptl::test
