// Owning holders for what a port opens: the holder closes its object through the seam when it is reset
// or destroyed, so no close list can forget one.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include "os/Syscalls.h"

namespace ptl::os {

template <class T, auto Close, T Null> class Owned {
public:
    Owned() = default;
    explicit Owned(T value) : value_(value) {}
    Owned(const Owned &) = delete;
    Owned &operator=(const Owned &) = delete;
    ~Owned() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Null; }
    // Closes what is held, then holds value.
    void reset(T value = Null) {
        if (value_ != Null)
            Close(value_);
        value_ = value;
    }

private:
    T value_ = Null;
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

// Events and threads (null when none), sockets, socket events.
using Handle = Owned<HANDLE, closeHandle, nullptr>;
using Socket = Owned<SOCKET, closeSocket, INVALID_SOCKET>;
using WsaEvent = Owned<WSAEVENT, closeWsaEvent, nullptr>;

} // namespace ptl::os
