// The event-driven TCP port: a send thread as in WNetA, and a wait thread that reacts to the socket's
// network events instead of a receive thread.
#pragma once

#include "net/NetAsync.h"

namespace ptl {

class WNetE : public NetAsync<WNet> {
public:
    WNetE();
    ~WNetE() override;
    int getIOMode() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;

protected:
    void procWait() override { waitForNetworkEvents(); }
};

} // namespace ptl
