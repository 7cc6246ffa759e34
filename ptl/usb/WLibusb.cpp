#include "usb/WLibusb.h"

#include <climits>

#include "core/Log.h"
#include "core/Target.h"
#include "usb/UsbIds.h"

namespace ptl {

WLibusb::WLibusb() {
    libusb::init();
    libusb::findBusses();
    libusb::findDevices();
}

WLibusb::~WLibusb() {
    WLibusb::release(0);
}

int WLibusb::getIFType() {
    return kIfVqusb;
}
const char *WLibusb::getIFName() {
    return "LIBUSB";
}
int WLibusb::getIOMode() {
    return 0;
}

DeviceHandle WLibusb::getHandle() {
    return reinterpret_cast<DeviceHandle>(device_.get());
}
bool WLibusb::isClaimed() {
    return static_cast<bool>(device_);
}
bool WLibusb::isReady() {
    return true;
}

// The first matching device is the one: when it cannot be opened, no other is tried.
int WLibusb::openDevice(DWORD) {
    libusb::Device *found = nullptr;
    for (libusb::Bus *bus = libusb::getBusses(); bus != nullptr && found == nullptr; bus = bus->next)
        for (libusb::Device *dev = bus->devices; dev != nullptr && found == nullptr; dev = dev->next)
            if (dev->descriptor.idVendor == kMakerVendorId && dev->descriptor.idProduct == kLibusbProductId)
                found = dev;
    device_.reset(found != nullptr ? libusb::open(found) : nullptr);
    if (!device_)
        return kCantClaim;
    if (libusb::setConfiguration(device_.get(), kLibusbConfiguration) < 0 ||
        libusb::claimInterface(device_.get(), kLibusbInterface) < 0)
        return kCantClaim;
    return kOk;
}

void WLibusb::closeDevice() {
    device_.reset();
}

int WLibusb::claim(int) {
    debugLine("PTL: WLibusb::claim()\n");
    release(0);
    const int r = openDevice(0);
    if (r != kOk)
        release(0);
    return r;
}

int WLibusb::release(int timeoutMs) {
    if (isClaimed()) {
        debugLine("PTL: WLibusb::release(%d)\n", timeoutMs);
        libusb::releaseInterface(device_.get(), kLibusbInterface);
        closeDevice();
    }
    return kOk;
}

// Not claimed: no transfer is attempted (the library would be handed a null device).
int WLibusb::send(const void *data, int len, int *written, int, int, int) {
    if (written == nullptr)
        return kNullArgument;
    *written = 0;
    const int n = isClaimed() ? libusb::bulkWrite(device_.get(), kLibusbEndpointOut, data, len < 0 ? 0 : len,
                                                  kLibusbWriteMs)
                              : -1;
    if (n < 0)
        return kWriteFailed;
    *written = n;
    return kOk;
}

int WLibusb::recvWithin(void *buffer, int size, int *got, int timeoutMs) {
    if (const auto refused = refuseRecvWithin(got, size))
        return *refused;
    // The library takes 0 as "no limit": the shortest wait it has stands for "only what has arrived".
    const int ms = timeoutMs == 0 ? 1 : timeoutMs < 0 ? INT_MAX : timeoutMs;
    const int n = libusb::bulkRead(device_.get(), kLibusbEndpointIn, buffer, size, ms);
    if (n < 0)
        return n == kLibusbTimedOut ? kTimeout : kReadFailed;
    *got = n;
    return n > 0 ? kOk : kTimeout;
}

int WLibusb::recv(void *buffer, int size, int *got, int) {
    if (got == nullptr)
        return kNullArgument;
    *got = 0;
    const int n = isClaimed() ? libusb::bulkRead(device_.get(), kLibusbEndpointIn, buffer,
                                                 size < 0 ? 0 : size, kLibusbReadMs)
                              : -1;
    if (n < 0)
        return kReadFailed;
    *got = n;
    return kOk;
}

} // namespace ptl
