#include "monitor/Libraries.h"

#include <cstdio>

#include "os/Version.h"

namespace ptl::monitor {

namespace {

// The program-files folder followed by tail; false when there is none or the path would not fit.
bool inProgramFiles(const char *tail, char *path, size_t size) {
    char dir[MAX_PATH];
    if (!os::programFilesDir(dir, sizeof dir))
        return false;
    const int n = snprintf(path, size, "%s%s", dir, tail);
    return n > 0 && static_cast<size_t>(n) < size;
}

HMODULE loadNorvel() {
    char path[2 * MAX_PATH];
    if (inProgramFiles("\\KAVRO\\Norvel\\Norvel.dll", path, sizeof path)) {
        if (HMODULE m = os::LoadLibraryA(path))
            return m;
    }
    return os::LoadLibraryA("KavroPH.dll");
}

HMODULE loadOlmpax() {
    char path[2 * MAX_PATH];
    const char *tail = os::isAfterVersion5() ? "\\KAVRO\\KAVRO Retail Driver Suite 4\\OLMPAX04.DLL"
                                             : "\\KAVRO\\KAVRO Retail Driver Suite 4\\OLMPAX01.DLL";
    return inProgramFiles(tail, path, sizeof path) ? os::LoadLibraryA(path) : nullptr;
}

} // namespace

os::RuntimeLibrary &norvel() {
    static os::RuntimeLibrary library(loadNorvel);
    return library;
}

void norvelEndSession(int32_t handle) {
    norvel().call<uint32_t>("Unlock", kNorvelMissing, handle);
    norvel().call<uint32_t>("Close", kNorvelMissing, handle);
}

os::RuntimeLibrary &olmpax() {
    static os::RuntimeLibrary library(loadOlmpax);
    return library;
}

HANDLE sdCreateFile(const wchar_t *name, DWORD access, DWORD share, SECURITY_ATTRIBUTES *sa,
                    DWORD disposition, DWORD flags, HANDLE templ) {
    return olmpax().call<HANDLE>("SD_CreateFile", INVALID_HANDLE_VALUE, name, access, share, sa, disposition,
                                 flags, templ);
}

BOOL sdCloseHandle(HANDLE h) {
    return olmpax().call<BOOL>("SD_CloseHandle", FALSE, h);
}

BOOL WINAPI sdWriteFile(HANDLE h, LPCVOID data, DWORD len, LPDWORD written, LPOVERLAPPED ov) {
    return olmpax().call<BOOL>("SD_WriteFile", FALSE, h, data, len, written, ov);
}

BOOL WINAPI sdWriteFile2(HANDLE h, LPCVOID data, DWORD len, LPDWORD written, LPOVERLAPPED ov) {
    return olmpax().call<BOOL>("SD_WriteFile2", FALSE, h, data, len, written, ov);
}

BOOL WINAPI sdReadFile(HANDLE h, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED ov) {
    return olmpax().call<BOOL>("SD_ReadFile", FALSE, h, buffer, size, got, ov);
}

BOOL sdHWReset(HANDLE h) {
    return olmpax().call<BOOL>("SD_HWReset", FALSE, h);
}

} // namespace ptl::monitor
