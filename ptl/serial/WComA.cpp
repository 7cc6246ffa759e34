#include "serial/WComA.h"

#include "core/Log.h"
#include "os/Syscalls.h"

namespace ptl {

WComA::WComA() : CommAsync<WCom>("WComA", "COM") {}

WComA::~WComA() {
    release(0);
}

int WComA::getIOMode() {
    return 1;
}

int WComA::setUpEngine() {
    return startComm() ? kOk : kSystemCallFailed;
}

int WComA::startEngineThreads() {
    debugLine("PTL: WComA::start Threads\n");
    return startThreads({Thread::Recv, Thread::Send});
}

void WComA::closeDownEngine() {
    dropLines();
}

void WComA::afterFailedRead() {
    DWORD errors = 0;
    os::ClearCommError(handle_.get(), &errors, nullptr);
}

} // namespace ptl
