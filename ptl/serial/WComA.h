// The threaded serial port: WCom's settings with a send thread and a receive thread of the engine.
#pragma once

#include "serial/CommAsync.h"
#include "serial/WCom.h"

namespace ptl {

class WComA : public CommAsync<WCom> {
public:
    WComA();
    ~WComA() override;

    int getIOMode() override;

protected:
    int setUpEngine() override;
    int startEngineThreads() override;
    void closeDownEngine() override;
    void afterFailedRead() override;
};

} // namespace ptl
