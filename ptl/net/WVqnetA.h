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

protected:
    int startEngineThreads() override;
    const char *releaseName() const override { return "WVqentA"; }
    void afterThreadsStopped(int timeoutMs) override;
    // procConn: started with the others, with no work of its own.
    void procWait() override;
};

} // namespace ptl
