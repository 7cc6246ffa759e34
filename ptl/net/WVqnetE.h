// The event-driven printer network port: WVqnet's control channel, a send thread and a network-event
// wait thread on the TCP stream.
#pragma once

#include "net/NetAsync.h"
#include "net/WVqnet.h"

namespace ptl {

class WVqnetE : public NetAsync<WVqnet> {
public:
    WVqnetE();
    ~WVqnetE() override;
    int getIOMode() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;

protected:
    void procWait() override { waitForNetworkEvents(); }
};

} // namespace ptl
