// The threaded TCP port: the caller's send only queues; the engine's threads write and read the socket.
#pragma once

#include "net/NetAsync.h"

namespace ptl {

class WNetA : public NetAsync<WNet> {
public:
    WNetA();
    ~WNetA() override;
    int getIOMode() override;
};

} // namespace ptl
