#include "usb/WHidIbmM4.h"

#include "core/Log.h"
#include "core/Target.h"
#include "usb/UsbIds.h"

namespace ptl {

int WHidIbmM4::getIFType() {
    return kIfIbmM4;
}
const char *WHidIbmM4::getIFName() {
    return "IBMM4";
}
int WHidIbmM4::getIOMode() {
    return 0;
}

WHid::Selection WHidIbmM4::selection() const {
    return {kIbmVendorId, 0x4533, 0x3500};
}

// The claim line is the TI4 port's, as the product has always logged it.
int WHidIbmM4::claim(int) {
    debugLine("PTL: WHidIbmTI4::claim(%d)\n", portNo_);
    release(0);
    return openDevice(0);
}

int WHidIbmM4::send(const void *, int, int *written, int, int, int) {
    if (written != nullptr)
        *written = 0;
    return kNotSupported;
}

int WHidIbmM4::recv(void *, int, int *, int) {
    return kNotSupported;
}

} // namespace ptl
