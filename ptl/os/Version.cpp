#include "os/Version.h"

#include "os/Syscalls.h"

namespace ptl::os {

namespace {

bool version(OSVERSIONINFOA *v) {
    *v = OSVERSIONINFOA{};
    v->dwOSVersionInfoSize = sizeof *v;
    return os::GetVersionExA(v) != FALSE; // qualified: ADL would pick the system function
}

} // namespace

bool isNtFamily4() {
    OSVERSIONINFOA v;
    return version(&v) && v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion > 3;
}

bool isAfterVersion5() {
    OSVERSIONINFOA v;
    return version(&v) && v.dwMajorVersion > 5;
}

} // namespace ptl::os
