#include "sim/SimSetupDi.h"

#include <setupapi.h>
#include <strings.h>

#include <cstring>

namespace ptl::test {

namespace {

SimSetupDi *current = nullptr;
const HMODULE kModule = reinterpret_cast<HMODULE>(0x5E700000);
using List = std::vector<std::string>;

HDEVINFO WINAPI getClassDevs(const GUID *guid, PCSTR, HWND, DWORD flags) {
    ++current->lists;
    ++current->liveLists;
    current->flags = flags;
    auto *list = new List;
    for (const auto &[g, path] : current->interfaces)
        if (IsEqualGUID(g, *guid))
            list->push_back(path);
    return list;
}

BOOL WINAPI enumInterfaces(HDEVINFO list, PSP_DEVINFO_DATA, const GUID *, DWORD i,
                           PSP_DEVICE_INTERFACE_DATA d) {
    current->sizesOk &= d->cbSize == 28;
    d->Reserved = i;
    SetLastError(ERROR_NO_MORE_ITEMS);
    return i < static_cast<List *>(list)->size();
}

BOOL WINAPI interfaceDetail(HDEVINFO list, PSP_DEVICE_INTERFACE_DATA d,
                            PSP_DEVICE_INTERFACE_DETAIL_DATA_A out, DWORD size, PDWORD required,
                            PSP_DEVINFO_DATA) {
    const std::string &path = (*static_cast<List *>(list))[d->Reserved];
    const DWORD need = static_cast<DWORD>(sizeof(DWORD) + path.size() + 1);
    if (required != nullptr)
        *required = need;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    if (out == nullptr || size < need)
        return FALSE;
    current->sizesOk &= out->cbSize == 5;
    memcpy(out->DevicePath, path.c_str(), path.size() + 1);
    return TRUE;
}

BOOL WINAPI destroy(HDEVINFO list) {
    delete static_cast<List *>(list);
    --current->liveLists;
    return TRUE;
}

} // namespace

SimSetupDi::SimSetupDi(Seam &seam) {
    current = this;
    seam.on<&os::Api::LoadLibraryA>([this, orig = seam.original<&os::Api::LoadLibraryA>()](LPCSTR name) {
        for (auto &[n, lib] : libraries)
            if (strcasecmp(name, n.c_str()) == 0)
                return lib.missing ? HMODULE{} : lib.module;
        if (strcasecmp(name, "SETUPAPI.DLL") != 0)
            return orig(name);
        SetLastError(ERROR_MOD_NOT_FOUND);
        loads += !missing;
        return missing ? HMODULE{} : kModule;
    });
    seam.on<&os::Api::FreeLibrary>(
        [orig = seam.original<&os::Api::FreeLibrary>()](HMODULE m) { return m == kModule ? TRUE : orig(m); });
    seam.on<&os::Api::GetProcAddress>(
        [this, orig = seam.original<&os::Api::GetProcAddress>()](HMODULE m, LPCSTR name) -> FARPROC {
            for (auto &[n, lib] : libraries)
                if (m == lib.module)
                    return lib.missing || !lib.functions.count(name) ? nullptr : lib.functions[name];
            if (m != kModule)
                return orig(m, name);
            const std::string n = name;
            return n == "SetupDiGetClassDevsA"               ? reinterpret_cast<FARPROC>(getClassDevs)
                   : n == "SetupDiEnumDeviceInterfaces"      ? reinterpret_cast<FARPROC>(enumInterfaces)
                   : n == "SetupDiGetDeviceInterfaceDetailA" ? reinterpret_cast<FARPROC>(interfaceDetail)
                   : n == "SetupDiDestroyDeviceInfoList"     ? reinterpret_cast<FARPROC>(destroy)
                                                             : nullptr;
        });
}

SimSetupDi::~SimSetupDi() {
    current = nullptr;
}

} // namespace ptl::test
