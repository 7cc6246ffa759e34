// What the threaded device ports (VQUSB, USBPRN, VQPRN, VQLPT, LIBUSB) add to the engine's claim and
// release: Base's overlapped open and close. Base provides openDevice(flags) (1013 / 1014; a device it
// leaves open on failure is closed by the release that follows) and closeDevice().
#pragma once

#include "port/WAsync.h"

namespace ptl {

template <class Base> class DriverAsync : public AsyncPort<Base> {
public:
    ~DriverAsync() override { this->release(0); }

    int getIOMode() override { return 1; }

protected:
    explicit DriverAsync(const char *name) : AsyncPort<Base>(name) {}

    int openEngineDevice(int) override { return this->openDevice(FILE_FLAG_OVERLAPPED); }
    void closeEngineDevice() override { this->closeDevice(); }
};

} // namespace ptl
