// The threaded USB printing-class port. Unlike the other threaded ports it answers the queue and block
// sizes (slots 34 to 41) on the port interface itself, from the engine.
#pragma once

#include "usb/DriverAsync.h"
#include "usb/WUsbprn.h"

namespace ptl {

class WUsbprnA : public DriverAsync<WUsbprn> {
public:
    WUsbprnA() : DriverAsync<WUsbprn>("WUsbprnA") {}

    int getSendQueueSize() override { return WAsync::getSendQueueSize(); }
    int getRecvQueueSize() override { return WAsync::getRecvQueueSize(); }
    int getSendBlockSize() override { return WAsync::getSendBlockSize(); }
    int getRecvBlockSize() override { return WAsync::getRecvBlockSize(); }
    bool setSendQueueSize(int bytes) override { return WAsync::setSendQueueSize(bytes); }
    bool setRecvQueueSize(int bytes) override { return WAsync::setRecvQueueSize(bytes); }
    bool setSendBlockSize(int bytes) override { return WAsync::setSendBlockSize(bytes); }
    bool setRecvBlockSize(int bytes) override { return WAsync::setRecvBlockSize(bytes); }
};

} // namespace ptl
