// Owning holders for what a port opens: the holder closes its object through the seam when it is reset
// or destroyed, so no close list can forget one.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <cstdint>
#include <type_traits>

#include "os/Syscalls.h"

namespace ptl::os {

// nullBits: the value that means "none", as an integer (INVALID_HANDLE_VALUE is no constant expression).
template <class T, auto Close, intptr_t nullBits = 0> class Owned {
public:
    Owned() = default;
    explicit Owned(T value) : value_(value) {}
    Owned(const Owned &) = delete;
    Owned &operator=(const Owned &) = delete;
    ~Owned() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != none(); }
    // Closes what is held, then holds value.
    void reset(T value = none()) {
        if (value_ != none())
            Close(value_);
        value_ = value;
    }

    static T none() {
        if constexpr (std::is_pointer_v<T>)
            return reinterpret_cast<T>(nullBits);
        else
            return static_cast<T>(nullBits);
    }

private:
    T value_ = none();
};

inline void closeHandle(HANDLE h) {
    os::CloseHandle(h);
}
inline void closeSocket(SOCKET s) {
    os::closesocket(s);
}
inline void closeWsaEvent(WSAEVENT e) {
    os::WSACloseEvent(e);
}
inline void closePrinter(HANDLE h) {
    os::ClosePrinter(h);
}

// Events and threads (null when none), sockets, socket events.
using Handle = Owned<HANDLE, closeHandle>;
using Socket = Owned<SOCKET, closeSocket, -1>;
using WsaEvent = Owned<WSAEVENT, closeWsaEvent>;
// Files and devices opened with CreateFile (INVALID_HANDLE_VALUE when none).
using File = Owned<HANDLE, closeHandle, -1>;
// Printers opened through the spooler (held as INVALID_HANDLE_VALUE when none, like the ports' handles).
using Printer = Owned<HANDLE, closePrinter, -1>;

} // namespace ptl::os
