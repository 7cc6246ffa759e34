#include "usb/WVqusb.h"

#include "core/Log.h"
#include "core/Target.h"
#include "usb/UsbIds.h"

namespace ptl {

WVqusb::WVqusb() = default;

WVqusb::~WVqusb() {
    WUsb::release(0);
}

int WVqusb::getIFType() {
    return kIfVqusb;
}
const char *WVqusb::getIFName() {
    return "VQUSB";
}
int WVqusb::getIOMode() {
    return 0;
}

const GUID &WVqusb::interfaceClass() const {
    return kMakerUsbDriverGuid;
}

const char *WVqusb::pathSuffix() const {
    return subType_ == 1 ? "\\XD" : "\\VQ";
}

int WVqusb::claim(int) {
    debugLine("PTL: WVqusb::claim()\n");
    release(0);
    return openDevice(0);
}

int WVqusb::reset() {
    return control(kVqusbReset, nullptr, 0, nullptr, 0) ? kOk : kResetFailed;
}

int WVqusb::force(int on) {
    if (on != 0)
        return setDeviceState(kStateForced);
    return waitStateClear();
}

int WVqusb::queryDriver(unsigned *out) {
    if (out == nullptr)
        return kNullArgument;
    return control(kVqusbQueryDriver, nullptr, 0, out, 4) ? kOk : kSystemCallFailed;
}

int WVqusb::queryDeviceWord(unsigned short *out) {
    if (out == nullptr)
        return kNullArgument;
    return control(kVqusbQueryWord, nullptr, 0, out, 2) ? kOk : kSystemCallFailed;
}

int WVqusb::queryDeviceState(unsigned short *state) {
    if (state == nullptr)
        return kNullArgument;
    return control(kVqusbQueryState, nullptr, 0, state, 2) ? kOk : kSystemCallFailed;
}

int WVqusb::deviceState(unsigned *state) {
    return wordState(this, state);
}

int WVqusb::setDeviceState(unsigned short value) {
    return control(kVqusbSetState, &value, 2, nullptr, 0) ? kOk : kSystemCallFailed;
}

int WVqusb::sendTiming() {
    uint8_t block[sizeof timing_];
    for (size_t i = 0; i < 8; ++i)
        for (size_t b = 0; b < 4; ++b)
            block[i * 4 + b] = static_cast<uint8_t>(timing_[i] >> (8 * b));
    return control(kVqusbSetTiming, block, sizeof block, nullptr, 0) ? kOk : kSystemCallFailed;
}

} // namespace ptl
