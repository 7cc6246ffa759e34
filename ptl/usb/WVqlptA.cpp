#include "usb/WVqlptA.h"

#include "os/Syscalls.h"

namespace ptl {

void WVqlptA::purgeDeviceSend() {
    os::PurgeComm(handle_.get(), PURGE_TXCLEAR);
}
void WVqlptA::purgeDeviceRecv() {
    os::PurgeComm(handle_.get(), PURGE_RXCLEAR);
}

} // namespace ptl
