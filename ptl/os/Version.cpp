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

bool programFilesDir(char *path, size_t size) {
    if (path == nullptr || size < MAX_PATH)
        return false;
    if (os::SHGetSpecialFolderPathA(nullptr, path, CSIDL_PROGRAM_FILES, TRUE))
        return true;
    // Read access is all this needs; asking for more fails for a user who is not an administrator.
    HKEY key = nullptr;
    if (os::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                          KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD bytes = MAX_PATH - 1; // room for a terminator the stored value may lack
    const LONG r =
        os::RegQueryValueExA(key, "ProgramFilesDir", nullptr, &type, reinterpret_cast<BYTE *>(path), &bytes);
    os::RegCloseKey(key);
    if (r != ERROR_SUCCESS || type != REG_SZ)
        return false;
    path[bytes] = '\0';
    return path[0] != '\0';
}

} // namespace ptl::os
