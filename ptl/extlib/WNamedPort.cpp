#include "extlib/WNamedPort.h"

#include <cstring>

namespace ptl {

int WNamedPort::getName(char *out) {
    if (out != nullptr)
        memcpy(out, name_, strlen(name_) + 1);
    return kOk;
}

int WNamedPort::setName(const char *name) {
    nameRefused_ = copyWhole(name != nullptr ? name : "", name_, sizeof name_) != kOk;
    return nameRefused_ ? kCantOpen : kOk;
}

int WNamedPort::getPortNo(int *no) {
    return readInto(portNo_, no);
}

int WNamedPort::setPortNo(int no) {
    if (isClaimed())
        return kSystemCallFailed;
    name_[0] = '\0';
    nameRefused_ = false;
    portNo_ = no;
    return kOk;
}

DeviceHandle WNamedPort::getHandle() {
    return handle_;
}
bool WNamedPort::isClaimed() {
    return handle_ != kNoHandle;
}
bool WNamedPort::isReady() {
    return true;
}

int WNamedPort::resolveName() {
    if (nameRefused_)
        return kCantClaim;
    if (name_[0] != '\0')
        return kOk;
    if (portNo_ < 0)
        return kInvalidPortNo;
    if (portNo_ == 0) {
        unsigned size = sizeof name_;
        if (!getDefaultPrinter(name_, &size))
            name_[0] = '\0';
        name_[sizeof name_ - 1] = '\0';
        return kOk;
    }
    // A name too long for the field is left out, not cut (see setName).
    const LocalPrinters printers(true);
    if (const char *name = printers.name(static_cast<unsigned>(portNo_)))
        copyWhole(name, name_, sizeof name_);
    return kOk;
}

} // namespace ptl
