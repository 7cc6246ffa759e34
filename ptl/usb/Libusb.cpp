#include "usb/Libusb.h"

#include "os/KeptLibrary.h"

namespace ptl::libusb {

namespace {

os::KeptLibrary &library() {
    static os::KeptLibrary libusb("libusb0.dll");
    return libusb;
}

template <class R, class... A> R call(R missing, const char *name, A... args) {
    return library().callOr<R(__cdecl *)(A...)>(missing, name, args...);
}

} // namespace

void init() {
    if (auto f = reinterpret_cast<void(__cdecl *)()>(library().lookup("usb_init")))
        f();
}

int findBusses() {
    return call(0, "usb_find_busses");
}

int findDevices() {
    return call(0, "usb_find_devices");
}

Bus *getBusses() {
    return call(static_cast<Bus *>(nullptr), "usb_get_busses");
}

DevHandle *open(Device *device) {
    return call(static_cast<DevHandle *>(nullptr), "usb_open", device);
}

int close(DevHandle *handle) {
    return call(0, "usb_close", handle);
}

int setConfiguration(DevHandle *handle, int configuration) {
    return call(0, "usb_set_configuration", handle, configuration);
}

int claimInterface(DevHandle *handle, int number) {
    return call(0, "usb_claim_interface", handle, number);
}

int releaseInterface(DevHandle *handle, int number) {
    return call(0, "usb_release_interface", handle, number);
}

int bulkWrite(DevHandle *handle, int endpoint, const void *bytes, int size, int timeoutMs) {
    // The library's prototype takes a char *; it only reads from it.
    return call(0, "usb_bulk_write", handle, endpoint, static_cast<char *>(const_cast<void *>(bytes)), size,
                timeoutMs);
}

int bulkRead(DevHandle *handle, int endpoint, void *bytes, int size, int timeoutMs) {
    return call(0, "usb_bulk_read", handle, endpoint, static_cast<char *>(bytes), size, timeoutMs);
}

} // namespace ptl::libusb
