// The threaded TCP port: the caller's send only queues; the engine's threads write and read the socket.
#pragma once

#include "net/NetAsync.h"

namespace ptl {

class WNetA : public NetAsync<WNet> {
public:
    WNetA();
    ~WNetA() override;
    int getIOMode() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
};

} // namespace ptl
