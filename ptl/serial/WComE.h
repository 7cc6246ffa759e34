// The event-driven serial port: sends like WComA; a wait thread reads only after the driver reports
// received characters (EV_RXCHAR).
#pragma once

#include "serial/CommAsync.h"
#include "serial/WCom.h"

namespace ptl {

class WComE : public CommAsync<WCom> {
public:
    WComE();
    ~WComE() override;

    int getIOMode() override;

protected:
    int setUpEngine() override;
    int startEngineThreads() override;
    void closeDownEngine() override;
    void procWait() override;

private:
    void readArrived();
};

// The events the wait thread asks for.
constexpr DWORD kComEventMask = EV_RXCHAR | EV_ERR;
// How long the wait thread rests when the driver reports no event at all (Wine completes every wait
// at once with an empty mask); then it looks at the driver's input count instead.
constexpr DWORD kEmptyEventPauseMs = 100;

} // namespace ptl
