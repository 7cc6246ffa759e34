// The event-driven TCP port: a send thread as in WNetA, and a wait thread that reacts to the socket's
// network events instead of a receive thread.
#pragma once

#include "net/NetAsync.h"

namespace ptl {

class WNetE : public NetEventAsync<WNet> {
public:
    WNetE();
    ~WNetE() override;
    int getIOMode() override;

protected:
    void eventSelectLine(WSAEVENT event, int result) override;
};

} // namespace ptl
