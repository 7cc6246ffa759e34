#include "extlib/WNamedPort.h"

#include <cstring>

namespace ptl {

namespace {

// Copies text into a name field when it fits; false (and an empty field) when it does not.
bool copyName(char (&field)[kPrinterNameSize], const char *text) {
    const size_t len = strlen(text);
    const bool fits = len < sizeof field;
    if (fits)
        memcpy(field, text, len + 1);
    else
        field[0] = '\0';
    return fits;
}

} // namespace

int WNamedPort::getName(char *out) {
    if (out != nullptr)
        memcpy(out, name_, strlen(name_) + 1);
    return kOk;
}

int WNamedPort::setName(const char *name) {
    nameRefused_ = !copyName(name_, name != nullptr ? name : "");
    return nameRefused_ ? kCantOpen : kOk;
}

int WNamedPort::getPortNo(int *no) {
    if (no == nullptr)
        return kNullArgument;
    *no = portNo_;
    return kOk;
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
        copyName(name_, name);
    return kOk;
}

} // namespace ptl
