#include "usb/SetupApi.h"

#include <mutex>

#include "os/Syscalls.h"

namespace ptl::setupapi {

namespace {

std::mutex &sessionLock() {
    static std::mutex lock;
    return lock;
}
HMODULE module = nullptr;

using GetClassDevsFn = HDEVINFO(WINAPI *)(const GUID *, PCSTR, HWND, DWORD);
using EnumInterfacesFn = BOOL(WINAPI *)(HDEVINFO, PSP_DEVINFO_DATA, const GUID *, DWORD,
                                        PSP_DEVICE_INTERFACE_DATA);
using InterfaceDetailFn = BOOL(WINAPI *)(HDEVINFO, PSP_DEVICE_INTERFACE_DATA,
                                         PSP_DEVICE_INTERFACE_DETAIL_DATA_A, DWORD, PDWORD, PSP_DEVINFO_DATA);
using DestroyListFn = BOOL(WINAPI *)(HDEVINFO);

} // namespace

Session::Session() {
    sessionLock().lock();
    if (module == nullptr)
        module = os::LoadLibraryA("SETUPAPI.DLL");
}

Session::~Session() {
    if (module != nullptr)
        os::FreeLibrary(module);
    module = nullptr;
    sessionLock().unlock();
}

FARPROC Session::lookup(const char *name) {
    return module != nullptr ? os::GetProcAddress(module, name) : nullptr;
}

HDEVINFO Session::getClassDevs(const GUID *guid, DWORD flags) {
    auto fn = reinterpret_cast<GetClassDevsFn>(lookup("SetupDiGetClassDevsA"));
    return fn != nullptr ? fn(guid, nullptr, nullptr, flags) : INVALID_HANDLE_VALUE;
}

BOOL Session::enumInterfaces(HDEVINFO list, const GUID *guid, DWORD index, SP_DEVICE_INTERFACE_DATA *data) {
    auto fn = reinterpret_cast<EnumInterfacesFn>(lookup("SetupDiEnumDeviceInterfaces"));
    if (fn == nullptr) {
        os::SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    return fn(list, nullptr, guid, index, data);
}

BOOL Session::interfaceDetail(HDEVINFO list, SP_DEVICE_INTERFACE_DATA *data,
                              SP_DEVICE_INTERFACE_DETAIL_DATA_A *detail, DWORD size, DWORD *required) {
    auto fn = reinterpret_cast<InterfaceDetailFn>(lookup("SetupDiGetDeviceInterfaceDetailA"));
    return fn != nullptr ? fn(list, data, detail, size, required, nullptr) : FALSE;
}

void Session::destroyList(HDEVINFO list) {
    auto fn = reinterpret_cast<DestroyListFn>(lookup("SetupDiDestroyDeviceInfoList"));
    if (fn != nullptr)
        fn(list);
}

} // namespace ptl::setupapi
