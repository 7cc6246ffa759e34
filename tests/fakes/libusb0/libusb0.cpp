// A libusb0.dll of our own: the eleven libusb 0.1 functions over the printer of FakeLibusb.h.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "fakes/libusb0/FakeLibusb.h"
#include "ptl/ptl.h"
#include "usb/Libusb.h"

using namespace ptl::libusb;

namespace {

FakeLibusb state;
std::mutex lock;
Bus busses[2];
Device devices[8];

// Records the call; -1 when the test made this step fail.
int note(const char *format, int value = 0, int step = 0) {
    std::lock_guard<std::mutex> g(lock);
    const size_t n = strlen(state.calls);
    snprintf(state.calls + n, sizeof state.calls - n, format, value);
    return step != 0 && state.failAt == step ? -1 : 0;
}

} // namespace

#define API extern "C" __declspec(dllexport)

API FakeLibusb *fake_libusb() {
    return &state;
}
API void usb_init() {
    note("init ");
}
API int usb_find_busses() {
    return note("busses ");
}
API int usb_find_devices() {
    const int count = 2 + std::min(state.printers, 6);
    for (int i = 0; i < count; ++i) {
        devices[i] = Device{};
        devices[i].next = i + 1 < count && i != 1 ? &devices[i + 1] : nullptr;
        devices[i].descriptor.idVendor = i == 1 ? 0x1234 : PTL_MAKER_USB_VENDOR_ID;
        devices[i].descriptor.idProduct = i == 0 ? 0x0201 : 0x0202;
        devices[i].devnum = static_cast<uint8_t>(i + 1);
    }
    busses[0] = Bus{&busses[1], nullptr, "1", devices, 1, nullptr};
    busses[1] = Bus{nullptr, &busses[0], "2", count > 2 ? &devices[2] : nullptr, 2, nullptr};
    return note("devices ") + count;
}
API Bus *usb_get_busses() {
    return busses;
}
API DevHandle *usb_open(Device *device) {
    return note("open(%d) ", device->devnum, 1) < 0 ? nullptr : reinterpret_cast<DevHandle *>(device);
}
API int usb_close(DevHandle *) {
    return note("close ");
}
API int usb_set_configuration(DevHandle *, int configuration) {
    return note("config(%d) ", configuration, 2);
}
API int usb_claim_interface(DevHandle *, int number) {
    return note("claim(%d) ", number, 3);
}
API int usb_release_interface(DevHandle *, int number) {
    return note("release(%d) ", number);
}
API int usb_bulk_write(DevHandle *, int endpoint, char *bytes, int size, int timeout) {
    state.writeArgs[0] = endpoint, state.writeArgs[1] = timeout;
    state.writesStarted = state.writesStarted + 1;
    Sleep(static_cast<DWORD>(state.writeMs));
    const int room = static_cast<int>(sizeof state.data) - state.received;
    const int n = std::clamp(state.chunk != 0 ? state.chunk : size, 0, std::min(size, room));
    memcpy(state.data + state.received, bytes, static_cast<size_t>(n));
    state.received = state.received + n;
    state.writesEnded = state.writesEnded + 1;
    return n;
}
// Waits up to the time-out for the printer's answer, as the real call does.
API int usb_bulk_read(DevHandle *, int endpoint, char *bytes, int size, int timeout) {
    state.readArgs[0] = endpoint, state.readArgs[1] = timeout;
    for (int waited = 0; state.answerLen == 0; waited += 5) {
        if (waited >= timeout)
            return -116; // the library's time-out error
        Sleep(5);
    }
    const int n = std::min(size, static_cast<int>(state.answerLen));
    memcpy(bytes, state.answer, static_cast<size_t>(n));
    state.answerLen = 0;
    return n;
}
