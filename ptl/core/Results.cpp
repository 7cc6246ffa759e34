#include "core/Results.h"

namespace ptl {

const char *errorText(int code) {
    switch (code) {
    case kNotSupported:
        return "Not supported function.";
    case kInvalidHandle:
        return "Invalid handle or not claimed.";
    case kInvalidPortNo:
        return "Invalid port number.";
    case kCantClaim:
        return "Can't claim.";
    case kCantConnect:
        return "Can't connect.";
    case kInvalidAddress:
        return "Invalid address.";
    case kCantOpen:
        return "Can't open.";
    case kLockFailed:
        return "Lock failed.";
    case kUnlockFailed:
        return "Unlock failed.";
    case kBadBaudRate:
    case kBadByteSize:
    case kBadParity:
    case kBadStopBits:
    case kBadFlow:
    case kBadCommState:
        return "Invalid serial parameter.";
    default:
        return "Unknown error.";
    }
}

} // namespace ptl
