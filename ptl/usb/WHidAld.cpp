#include "usb/WHidAld.h"

#include "core/Log.h"
#include "core/Target.h"
#include "usb/UsbIds.h"

namespace ptl {

WHidAld::~WHidAld() {
    WHidAld::release(0);
}

int WHidAld::getIFType() {
    return kIfAld;
}
const char *WHidAld::getIFName() {
    return "ALD";
}
int WHidAld::getIOMode() {
    return 0;
}

WHid::Selection WHidAld::selection() const {
    return {kMakerVendorId, 0x0311, 0xFFFF};
}

// Opened for blocking I/O: send and recv are WUsb's WriteFile / ReadFile without an OVERLAPPED, which on
// an overlapped handle could return before the transfer is over.
int WHidAld::claim(int) {
    debugLine("PTL: WHidAld::claim(%d)\n", portNo_);
    release(0);
    return openDevice(0);
}

int WHidAld::release(int timeoutMs) {
    if (isClaimed()) {
        debugLine("PTL: WHidAld::release(%d)\n", timeoutMs);
        closeDevice();
    }
    return kOk;
}

} // namespace ptl
