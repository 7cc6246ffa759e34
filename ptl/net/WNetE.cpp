#include "net/WNetE.h"

namespace ptl {

WNetE::WNetE() : NetEventAsync<WNet>("WNetE") {}

WNetE::~WNetE() {
    release(0);
}

int WNetE::getIOMode() {
    return 2;
}

// This port's line never showed the selection's result.
void WNetE::eventSelectLine(WSAEVENT event, int result) {
    systemCallLine(result == SOCKET_ERROR, &lastError_, "PTL:  WSAEventSelect(%08X)\n",
                   static_cast<unsigned>(reinterpret_cast<uintptr_t>(event)));
}

} // namespace ptl
