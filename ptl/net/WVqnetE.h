// The event-driven printer network port: WVqnet's control channel, a send thread and a network-event
// wait thread on the TCP stream.
#pragma once

#include "net/NetAsync.h"
#include "net/WVqnet.h"

namespace ptl {

class WVqnetE : public NetEventAsync<WVqnet> {
public:
    WVqnetE();
    ~WVqnetE() override;
    int getIOMode() override;

protected:
    void eventSelectLine(WSAEVENT event, int result) override;
    void afterThreadsStopped(int timeoutMs) override { control_.release(timeoutMs); }
};

} // namespace ptl
