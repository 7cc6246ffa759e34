#include "usb/WVqlpt.h"

#include "core/Log.h"
#include "core/Target.h"
#include "usb/DeviceControl.h"

namespace ptl {

WVqlpt::~WVqlpt() {
    WVqlpt::release(0);
}

int WVqlpt::getIFType() {
    return kIfVqlpt;
}
const char *WVqlpt::getIFName() {
    return "VQLPT";
}
int WVqlpt::getIOMode() {
    return 0;
}

int WVqlpt::openDevice(DWORD flags) {
    if (portNo_ < 1 || portNo_ > 32 || !formatDevicePath(devicePath_, sizeof devicePath_, "VQLPT", portNo_))
        return kInvalidPortNo;
    return openPath(flags);
}

void WVqlpt::closeDevice() {
    handle_.reset();
}

int WVqlpt::claim(int) {
    debugLine("PTL: WVqlpt::claim(%d)\n", portNo_);
    release(0);
    return openDevice(0);
}

int WVqlpt::release(int timeoutMs) {
    if (!isClaimed())
        return kOk;
    debugLine("PTL: WVqlpt::release(%d)\n", timeoutMs);
    const int r = waitSendEmpty(timeoutMs);
    closeDevice();
    return r;
}

int WVqlpt::force(int on) {
    const uint32_t value = on != 0 ? 1 : 0;
    return deviceControl(handle_.get(), getIOMode() == 1, kVqlptForce, &value, sizeof value, nullptr, 0)
               ? kOk
               : kSystemCallFailed;
}

} // namespace ptl
