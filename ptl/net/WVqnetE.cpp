#include "net/WVqnetE.h"

namespace ptl {

WVqnetE::WVqnetE() : NetEventAsync<WVqnet>("WVqnetE") {}

WVqnetE::~WVqnetE() {
    release(0);
}

int WVqnetE::getIOMode() {
    return 2;
}

void WVqnetE::logEventSelect(WSAEVENT event, int result) {
    debugLine("PTL: WSAEventSelect(%08X)=%d\n", static_cast<unsigned>(reinterpret_cast<uintptr_t>(event)),
              result);
}

} // namespace ptl
