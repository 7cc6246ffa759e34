// The maker's status-monitor libraries, loaded at run time from the program-files folder: the service's
// client library (Norvel.dll, else KavroPH.dll by the normal search) and the local-port library of the
// driver suite (OLMPAX04.DLL from system version 6 on, OLMPAX01.DLL before).
#pragma once

#include <windows.h>

#include <cstdint>

#include "os/RuntimeLibrary.h"

namespace ptl::monitor {

// The client library. Every function answers a 32-bit status, 0 = success.
os::RuntimeLibrary &norvel();
// The status a client call yields when the library or the function is missing.
constexpr uint32_t kNorvelMissing = 0x80000001u;
// Ends a session of the library: its lock is given up, then the session closed.
void norvelEndSession(int32_t handle);

// The local-port library.
os::RuntimeLibrary &olmpax();

// Its file-like calls, each looked up when it is made. Without the library or the function, the create
// answers INVALID_HANDLE_VALUE and the others FALSE.
HANDLE sdCreateFile(const wchar_t *name, DWORD access, DWORD share, SECURITY_ATTRIBUTES *sa,
                    DWORD disposition, DWORD flags, HANDLE templ);
BOOL sdCloseHandle(HANDLE h);
BOOL WINAPI sdWriteFile(HANDLE h, LPCVOID data, DWORD len, LPDWORD written, LPOVERLAPPED ov);
BOOL WINAPI sdWriteFile2(HANDLE h, LPCVOID data, DWORD len, LPDWORD written, LPOVERLAPPED ov);
BOOL WINAPI sdReadFile(HANDLE h, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED ov);
BOOL sdHWReset(HANDLE h);

} // namespace ptl::monitor
