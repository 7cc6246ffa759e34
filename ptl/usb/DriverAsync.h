// What the threaded device ports (VQUSB, USBPRN, VQPRN, VQLPT, LIBUSB) share on top of their synchronous
// class: the engine's claim and release around the class's overlapped open and close, with the class's
// own log lines ("PTL: WVqusbA::claim()"). Base provides openDevice(flags) (1013 / 1014; a device it
// leaves open on failure is closed by the release that follows) and closeDevice().
#pragma once

#include "core/Log.h"
#include "core/Results.h"
#include "port/WAsync.h"

namespace ptl {

template <class Base> class DriverAsync : public AsyncPort<Base> {
public:
    ~DriverAsync() override { DriverAsync::release(0); }

    int getIOMode() override { return 1; }

    // Reopen, engine, the class's device set-up, send then receive thread. Any failure releases before
    // it returns.
    int claim(int) override {
        debugLine("PTL: %s::claim()\n", this->name_);
        this->release(0);
        int r = this->openDevice(FILE_FLAG_OVERLAPPED);
        if (r == kOk)
            r = this->prepareEngine();
        if (r == kOk)
            r = startDevice();
        if (r == kOk)
            r = this->startThreads({WAsync::Thread::Send, WAsync::Thread::Recv});
        if (r != kOk)
            this->release(0);
        return r;
    }

    // Drain for up to timeoutMs, stop, close; the drain's result (1019: data were left unsent).
    int release(int timeoutMs) override {
        if (!this->isClaimed())
            return kOk;
        debugLine("PTL: %s::release(%d)\n", this->name_, timeoutMs);
        const int r = this->waitSendEmpty(timeoutMs);
        this->stopEngine();
        this->closeDevice();
        return r;
    }

protected:
    explicit DriverAsync(const char *name) : AsyncPort<Base>(name) {}

    // Device set-up between the engine and the threads; its failure code fails the claim.
    virtual int startDevice() { return kOk; }
};

} // namespace ptl
