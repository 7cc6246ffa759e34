#include "usb/WHid.h"

#include "core/Log.h"
#include "os/Owned.h"
#include "os/Syscalls.h"
#include "usb/HidApi.h"

namespace ptl {

namespace {

// Opens the path without sharing (a device someone else holds is skipped) and reads its ids and
// capabilities; true when they are the wanted ones.
bool probe(const char *path, const WHid::Selection &want, HIDP_CAPS *caps) {
    const os::File device(
        os::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!device)
        return false;
    HANDLE h = device.get();
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    bool match = hid::getAttributes(h, &attributes) && attributes.VendorID == want.vendorId &&
                 attributes.ProductID == want.productId;
    PHIDP_PREPARSED_DATA data = nullptr;
    if (match && (match = hid::getPreparsedData(h, &data))) {
        match = hid::getCaps(data, caps) && caps->Usage == want.usage;
        hid::freePreparsedData(data);
    }
    return match;
}

} // namespace

bool WHid::devicePath(char *out, uint16_t vendorId, uint16_t productId, uint16_t usage) {
    debugLine("PTL: WHid::devicePath(%04Xh:%04Xh:%04Xh)\n", vendorId, productId, usage);
    out[0] = '\0';
    if (!hid::getHidGuid(&hidClass_))
        return false;
    const Selection want{vendorId, productId, usage};
    HIDP_CAPS caps{};
    if (!findInterface(out, hidClass_, [&](const char *path) { return probe(path, want, &caps); }))
        return false;
    inputReportLength_ = caps.InputReportByteLength;
    outputReportLength_ = caps.OutputReportByteLength;
    featureReportLength_ = caps.FeatureReportByteLength;
    return true;
}

bool WHid::discover() {
    const Selection s = selection();
    return devicePath(devicePath_, s.vendorId, s.productId, s.usage);
}

} // namespace ptl
