#include "usb/WUsbprn.h"

#include "core/Log.h"
#include "core/Target.h"

namespace ptl {

WUsbprn::~WUsbprn() {
    WUsbprn::release(0);
}

int WUsbprn::getIFType() {
    return kIfUsbprn;
}
const char *WUsbprn::getIFName() {
    return "USBPRN";
}
int WUsbprn::getIOMode() {
    return 0;
}

int WUsbprn::claim(int) {
    debugLine("PTL: WUsbprn::claim()\n");
    release(0);
    return openDevice(0);
}

int WUsbprn::release(int timeoutMs) {
    return releaseLogged("WUsbprn", timeoutMs);
}

} // namespace ptl
