// The sender's system calls, routed through the library's seam so that tests reach them with Seam.
#include "os/Syscalls.h"
#include "sender/System.h"

namespace rawpush::sys {

namespace {

template <auto Field, class F> struct ViaSeam;
template <auto Field, class R, class... A> struct ViaSeam<Field, R(WINAPI *)(A...)> {
    static R WINAPI call(A... a) { return (ptl::os::api().*Field)(a...); }
};

} // namespace

#define RAWPUSH_SYS_VIA_SEAM(name)                                                                           \
    decltype(&::name) const name = &ViaSeam<&ptl::os::Api::name, decltype(&::name)>::call;
RAWPUSH_SYSCALLS(RAWPUSH_SYS_VIA_SEAM)
#undef RAWPUSH_SYS_VIA_SEAM

} // namespace rawpush::sys
