// The threaded parallel port: WLpt with a send thread and a receive thread of the engine.
#pragma once

#include "port/WAsync.h"
#include "serial/WLpt.h"

namespace ptl {

class WLptA : public AsyncPort<WLpt> {
public:
    WLptA();
    ~WLptA() override;

    int getIOMode() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;

protected:
    void purgeDeviceSend() override;
    void purgeDeviceRecv() override;
};

} // namespace ptl
