#include "usb/WUsbPrintClass.h"

#include <cstring>

#include "usb/UsbIds.h"

namespace ptl {

const GUID &WUsbPrintClass::interfaceClass() const {
    return kUsbPrintClassGuid;
}

int WUsbPrintClass::getLptStatus(unsigned char *status) {
    if (status == nullptr)
        return kNullArgument;
    return control(kUsbPrintGetLptStatus, nullptr, 0, status, 1) ? kOk : kUsbRequestFailed;
}

int WUsbPrintClass::get1284Id(char *buffer, int size) {
    if (buffer == nullptr && size > 0)
        return kNullArgument;
    return control(kUsbPrintGet1284Id, nullptr, 0, buffer, static_cast<DWORD>(size < 0 ? 0 : size))
               ? kOk
               : kUsbRequestFailed;
}

int WUsbPrintClass::deviceIdText(char *text, int size, int *length) {
    if (!isClaimed())
        return kInvalidHandle;
    // Two bytes of length, most significant first and counting themselves, then the text without a NUL.
    char id[kDeviceIdRoom + 1] = {};
    const int r = get1284Id(id, kDeviceIdRoom);
    if (r != kOk)
        return r;
    const unsigned stated =
        static_cast<unsigned>(static_cast<uint8_t>(id[0]) << 8 | static_cast<uint8_t>(id[1]));
    if (stated < 2 || stated > kDeviceIdRoom)
        return kUsbRequestFailed;
    id[stated] = '\0';
    return copyWhole(id + 2, text, size, length);
}

int WUsbPrintClass::deviceState(unsigned *state) {
    if (!isClaimed())
        return kInvalidHandle;
    unsigned char status = 0;
    const int r = getLptStatus(&status);
    if (r == kOk)
        *state = status;
    return r;
}

int WUsbPrintClass::vendorSetCommand() {
    uint8_t area[kVendorSetArea];
    memset(area, 0xFF, sizeof area);
    return control(kUsbPrintVendorSet, nullptr, 0, area, sizeof area) ? kOk : kUsbRequestFailed;
}

int WUsbPrintClass::vendorGetCommand() {
    uint8_t area[kVendorGetArea];
    memset(area, 0xFF, sizeof area);
    return control(kUsbPrintVendorGet, nullptr, 0, area, sizeof area) ? kOk : kUsbRequestFailed;
}

int WUsbPrintClass::softReset() {
    return control(kUsbPrintSoftReset, nullptr, 0, nullptr, 0) ? kOk : kUsbRequestFailed;
}

bool WUsbPrintClass::vendorSet(uint8_t request, uint16_t value) {
    const uint8_t in[3] = {request, static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    return control(kUsbPrintVendorSet, in, sizeof in, nullptr, 0);
}

bool WUsbPrintClass::vendorGet(uint8_t request, void *out, DWORD outSize) {
    const uint8_t in[3] = {request, 0, 0};
    return control(kUsbPrintVendorGet, in, sizeof in, out, outSize);
}

} // namespace ptl
