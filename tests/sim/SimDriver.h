// A device behind a driver path (the maker's USB driver, the USB printing class, the printer-class
// "VQLPT" device). Its data path is a real named pipe, so the ports' blocking and overlapped I/O runs for
// real; its control requests are recorded and answered here:
//   0x2220C8 / 0x2220C4              set / query the state word (2 bytes)
//   0x220038 / 0x22003C {0x02|0x01}  the same through the printing class's vendor set / get (4 bytes back)
//   any other code                   answers[code], or nothing
// An answer longer than the output area fails with ERROR_INSUFFICIENT_BUFFER and writes nothing.
// Set the fields before the port acts; read the observations through the accessors.
#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/Seam.h"

namespace ptl::test {

class SimDriver {
public:
    struct Request {
        DWORD code;
        std::string input;
        DWORD outputSize;
        std::string outputIn; // the output area as the port handed it over
        bool overlapped;
    };

    SimDriver(Seam &seam, std::string path);
    ~SimDriver();

    std::map<DWORD, std::string> answers;
    std::set<DWORD> refused; // fail with ERROR_GEN_FAILURE
    uint16_t state = 0;
    int busy = 0; // bit 0x0002 stays set for that many state queries (-1: always)
    bool unplugged = false;
    int failWrites = 0;         // the next n device writes fail
    bool answersStatus = false; // status requests written to the device are answered on its read path

    std::vector<Request> requests; // read while no port thread issues requests
    std::atomic<int> opens{0};
    bool isOpen() { return client_ != INVALID_HANDLE_VALUE; }
    bool waitReceived(size_t n); // true when n bytes arrived within 10 s
    std::string received();
    void feed(std::string bytes); // bytes from the printer
    // The driver whose device the handle is open on, or null.
    static SimDriver *owner(HANDLE h);
    // The driver's own steps, for a caller that opens the pipe itself: a fresh server end (its name
    // returned), then, once a client has it open, the reading thread.
    std::string listen();
    void serve();

private:
    BOOL control(DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD ret,
                 LPOVERLAPPED ov);
    HANDLE open(DWORD flags);
    void stopReader();

    static std::vector<SimDriver *> &live();

    const decltype(os::Api::CreateFileA) orig_;
    std::mutex lock_;
    std::condition_variable arrived_;
    std::string path_, pipe_, received_;
    std::atomic<HANDLE> client_{INVALID_HANDLE_VALUE};
    HANDLE server_ = INVALID_HANDLE_VALUE;
    std::thread reader_;
};

} // namespace ptl::test
