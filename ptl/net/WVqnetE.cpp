#include "net/WVqnetE.h"

namespace ptl {

WVqnetE::WVqnetE() : NetEventAsync<WVqnet>("WVqnetE") {}

WVqnetE::~WVqnetE() {
    release(0);
}

int WVqnetE::getIOMode() {
    return 2;
}

void WVqnetE::eventSelectLine(WSAEVENT event, int result) {
    systemCallLine(result == SOCKET_ERROR, &lastError_, "PTL: WSAEventSelect(%08X)=%d\n",
                   static_cast<unsigned>(reinterpret_cast<uintptr_t>(event)), result);
}

} // namespace ptl
