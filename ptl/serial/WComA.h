// The threaded serial port: WCom's settings with a send thread and a receive thread of the engine.
#pragma once

#include "port/WAsync.h"
#include "serial/WCom.h"

namespace ptl {

class WComA : public AsyncPort<WCom> {
public:
    WComA();
    ~WComA() override;

    int getIOMode() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;

protected:
    void afterFailedRead() override;
    void purgeDeviceSend() override;
    void purgeDeviceRecv() override;
};

} // namespace ptl
