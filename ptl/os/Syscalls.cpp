#include "os/Syscalls.h"

namespace ptl::os {

namespace {

const Api kReal{};

Api &liveTable() {
    static Api table{};
    return table;
}

// Each library is loaded on the first call of one of its functions and kept for the process.
template <const char *Module> FARPROC lateProc(const char *name) {
    static const HMODULE module = ::LoadLibraryA(Module);
    return module != nullptr ? ::GetProcAddress(module, name) : nullptr;
}

} // namespace

template <const char *Module, const char *Name, class R, class... A>
R WINAPI LateBound<Module, Name, R(WINAPI *)(A...)>::call(A... a) {
    static const auto function = reinterpret_cast<R(WINAPI *)(A...)>(lateProc<Module>(Name));
    if (function == nullptr) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return R{};
    }
    return function(a...);
}

namespace late_names {
extern const char winspool[] = "winspool.drv";
extern const char kernel32[] = "kernel32.dll";
extern const char shell32[] = "shell32.dll";
#define PTL_OS_NAME(name) extern const char name[] = #name;
PTL_SYSCALLS_SPOOLER(PTL_OS_NAME)
PTL_SYSCALLS_KERNEL_LATE(PTL_OS_NAME)
PTL_SYSCALLS_SHELL(PTL_OS_NAME)
#undef PTL_OS_NAME
} // namespace late_names

#define PTL_OS_LATE(module, name)                                                                            \
    template struct LateBound<late_names::module, late_names::name, decltype(&::name)>;
#define PTL_OS_SPOOLER(name) PTL_OS_LATE(winspool, name)
#define PTL_OS_KERNEL(name) PTL_OS_LATE(kernel32, name)
#define PTL_OS_SHELL(name) PTL_OS_LATE(shell32, name)
PTL_SYSCALLS_SPOOLER(PTL_OS_SPOOLER)
PTL_SYSCALLS_KERNEL_LATE(PTL_OS_KERNEL)
PTL_SYSCALLS_SHELL(PTL_OS_SHELL)
#undef PTL_OS_SHELL
#undef PTL_OS_KERNEL
#undef PTL_OS_SPOOLER
#undef PTL_OS_LATE

Api &api() {
    return liveTable();
}
const Api &realApi() {
    return kReal;
}

Simulation &simulation() {
    static Simulation settings;
    return settings;
}

bool isWine() {
    static const bool wine = [] {
        HMODULE ntdll = api().GetModuleHandleA("ntdll.dll");
        return ntdll != nullptr && api().GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

} // namespace ptl::os
