// The threaded printer network port: WVqnet's control channel, the engine's threads on the TCP stream.
#pragma once

#include "net/NetAsync.h"
#include "net/WVqnet.h"

namespace ptl {

class WVqnetA : public NetAsync<WVqnet> {
public:
    WVqnetA();
    ~WVqnetA() override;
    int getIOMode() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;

protected:
    // procConn: started with the others, with no work of its own.
    void procWait() override;
};

} // namespace ptl
