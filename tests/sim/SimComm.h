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
// Calls on handles that are not the device's go to the entries that were there before. The data path and
// line settings are in SimComm.cpp, the parallel driver's requests and the device namespace in
// SimCommNames.cpp.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

#include "support/Seam.h"

namespace ptl::test {

class SimComm {
public:
    // Installs the device; devicePath is the path that opens it ("\\.\COM3", "\\.\LPT1").
    SimComm(Seam &seam, std::string devicePath);
    ~SimComm();
    SimComm(const SimComm &) = delete;
    SimComm &operator=(const SimComm &) = delete;

    // --- Namespace: what QueryDosDeviceA answers for a DOS name (without an entry it fails), the system
    // family GetVersionExA presents (NT by default), and the aliases defined now (name -> target).
    void setDosTargets(const std::string &dosName, const std::vector<std::string> &targets) {
        change([&] { dosTargets_[dosName] = targets; });
    }
    void setNt(bool nt) { set(nt_, nt); }
    std::map<std::string, std::string> aliases() { return locked(aliases_); }

    // --- Behaviour
    void feed(const std::string &bytes); // bytes arrive; EV_RXCHAR when asked for
    void lineError(DWORD commErrors);    // e.g. CE_FRAME; EV_ERR when asked for
    void setHold(bool cts, bool dsr, bool xoff);
    void setModemStatus(DWORD status) { set(modem_, status); }
    void setCommErrors(DWORD errors) { set(errors_, errors); } // ClearCommError's next (CE_OOP...)
    void holdWrites(bool hold); // while held, overlapped writes pend; releasing completes them
    // Every pending read and write completes now with error and nothing moved.
    void failPending(DWORD error);
    // The n-th call (1-based, counted from now) of the named entry fails with error.
    void failNth(const std::string &entry, int n, DWORD error) {
        change([&] { failures_[entry].push_back({n, error}); });
    }
    // Parallel driver answers.
    void setParStatus(unsigned char status) { set(parStatus_, status); }
    void setDeviceId(const std::string &id) { set(deviceId_, id); }

    // --- Observation: the device's calls, "Entry" or "Entry <first number argument>" ("EscapeCommFunction
    // 5", "WriteFile 4096", "CreateFileA \\.\COM3").
    std::vector<std::string> calls() { return locked(calls_); }
    int count(const std::string &call);
    std::vector<DCB> statesSet() { return locked(statesSet_); } // every DCB given to SetCommState, in order
    COMMTIMEOUTS timeouts() { return locked(timeouts_); }
    bool dtr() { return locked(dtr_); }
    bool rts() { return locked(rts_); }
    std::string written() { return locked(tx_); }
    std::vector<DWORD> numbersOf(const std::string &entry); // the first numbers of its calls, in order
    std::vector<DWORD> writeSizes() { return numbersOf("WriteFile"); } // size asked of each WriteFile
    size_t pendingWrites();
    int readCalls() { return static_cast<int>(numbersOf("ReadFile").size()); }
    // The driver's requests as code, input bytes (count:first) and output size: "00160008 in=1:01 out=0".
    std::vector<std::string> ioctls() { return locked(ioctls_); }
    bool isOpen() { return locked(open_) != nullptr; }

private:
    struct Op {
        enum Kind { Read, Write, Wait } kind;
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

    // Routes a handle entry: other handles go to the previous entry; the device's calls run body under
    // the lock after being recorded and after the failure check.
    template <auto Field, class Body> void route(Seam &seam, const char *name, Body body);
    // A routed entry that copies the field to its one argument.
    template <auto Field, class T> void answer(Seam &seam, const char *name, T SimComm::*field) {
        route<Field>(seam, name, [this, field](auto *out) -> BOOL {
            *out = this->*field;
            return TRUE;
        });
    }
    template <class T> T locked(const T &field) {
        std::lock_guard<std::mutex> g(lock_);
        return field;
    }
    template <class F> void change(F f) {
        std::lock_guard<std::mutex> g(lock_);
        f();
    }
    template <class T, class V> void set(T &field, const V &value) {
        std::lock_guard<std::mutex> g(lock_);
        field = value;
    }
    bool shouldFail(const std::string &entry, DWORD *error); // under lock_
    BOOL fail(DWORD error);                                  // sets the error, FALSE
    void begin(OVERLAPPED *ov);                              // under lock_: a new overlapped call
    BOOL pend(Op op);                                        // under lock_
    void complete(Op op, DWORD error, DWORD bytes);          // under lock_
    // Under lock_: completes every pending operation that matches, with error and the bytes moved says.
    template <class P, class M> void completeWhere(P match, DWORD error, M moved);
    void abortWhere(bool (*match)(const Op &), DWORD error); // under lock_: nothing moved
    DWORD take(void *to, DWORD len);                         // under lock_: received bytes
    void serveReads();                                       // under lock_
    bool completeWait(DWORD events);                         // under lock_: false when none pends
    void raise(DWORD events);                                // under lock_
    void installIo(Seam &seam);
    void installComm(Seam &seam);
    void installDriver(Seam &seam);
    void installNames(Seam &seam);

    std::mutex lock_;
    os::Api previous_;
    std::string devicePath_;
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
    COMSTAT hold_{};
    bool dtr_ = false, rts_ = false;
    std::string rx_;
    std::string tx_;
    bool holdWrites_ = false;
    std::vector<Op> pending_;
    std::map<OVERLAPPED *, Done> done_;
    unsigned char parStatus_ = 0;
    std::string deviceId_;
    std::vector<std::string> ioctls_;
};

template <auto Field, class Body> void SimComm::route(Seam &seam, const char *name, Body body) {
    seam.on<Field>([this, name, body](HANDLE h, auto... a) -> BOOL {
        std::unique_lock<std::mutex> g(lock_);
        if (h == nullptr || h != open_) {
            g.unlock();
            return (previous_.*Field)(h, a...);
        }
        std::string call = name;
        bool numbered = false;
        auto number = [&](auto v) {
            if constexpr (std::is_same_v<decltype(v), DWORD>) {
                if (!numbered)
                    call += " " + std::to_string(v);
                numbered = true;
            }
        };
        (number(a), ...);
        (void)number;
        calls_.push_back(call);
        DWORD error = 0;
        if (shouldFail(name, &error))
            return fail(error);
        return body(a...);
    });
}

} // namespace ptl::test
