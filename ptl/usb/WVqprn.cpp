#include "usb/WVqprn.h"

#include "core/Log.h"
#include "core/Target.h"

namespace ptl {

WVqprn::~WVqprn() {
    WVqprn::release(0);
}

int WVqprn::getIFType() {
    return kIfVqprn;
}
const char *WVqprn::getIFName() {
    return "VQPRN";
}
int WVqprn::getIOMode() {
    return 0;
}

int WVqprn::claim(int) {
    debugLine("PTL: WVqprn::claim()\n");
    release(0);
    return openDevice(0);
}

int WVqprn::release(int timeoutMs) {
    return releaseLogged("WVqprn", timeoutMs);
}

int WVqprn::reset() {
    return vendorSet(kVendorReset, 0) ? kOk : kUsbRequestFailed;
}

int WVqprn::force(int on) {
    if (on != 0)
        return setDeviceState(kStateForced) == kOk ? kOk : kStateFailed;
    return waitStateClear();
}

int WVqprn::queryDeviceWord(unsigned short *out) {
    if (out == nullptr)
        return kNullArgument;
    return vendorGet(kVendorQueryWord, out, 2) ? kOk : kUsbRequestFailed;
}

// Only a complete answer reaches the caller.
int WVqprn::queryDeviceState(unsigned short *state) {
    if (state == nullptr)
        return kNullArgument;
    uint8_t area[kVendorStateArea] = {};
    if (!vendorGet(kVendorQueryState, area, sizeof area))
        return kUsbRequestFailed;
    *state = static_cast<unsigned short>(area[0] | area[1] << 8);
    return kOk;
}

int WVqprn::deviceState(unsigned *state) {
    return wordState(this, state);
}

int WVqprn::setDeviceState(unsigned short value) {
    return vendorSet(kVendorSetState, value) ? kOk : kUsbRequestFailed;
}

} // namespace ptl
