#include "core/Log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/LogFormat.h"
#include "os/Syscalls.h"

namespace ptl {

namespace {

// The log file is written only from the public functions, which run on one thread at a time.
FILE* gLogFile = nullptr;
uint32_t gLogFlags = 0;

void readSettings(char* path, DWORD pathSize) {
    gLogFlags = 0;
    path[0] = '\0';
    HKEY key = nullptr;
    if (os::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    DWORD flags = 0, type = 0, size = sizeof flags;
    if (os::RegQueryValueExA(key, kLogValue, nullptr, &type, reinterpret_cast<BYTE*>(&flags), &size) ==
            ERROR_SUCCESS &&
        size == sizeof flags)
        gLogFlags = flags;
    if (gLogFlags != 0) {
        DWORD pathLen = pathSize;
        if (os::RegQueryValueExA(key, kLogPathValue, nullptr, &type, reinterpret_cast<BYTE*>(path), &pathLen) !=
                ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            path[0] = '\0';
        else
            path[pathSize - 1] = '\0'; // a value stored without its terminator
    }
    os::RegCloseKey(key);
}

void writeLine(int handle, char marker, const char* format, va_list args) {
    SYSTEMTIME t{};
    if (gLogFlags & kLogTime) os::GetLocalTime(&t);
    LogClock clock{t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
    char prefix[48];
    formatLogPrefix(prefix, sizeof prefix, gLogFlags, clock, handle);
    fputs(prefix, gLogFile);
    fputc(marker, gLogFile);
    vfprintf(gLogFile, format, args);
    fputc('\n', gLogFile);
    fflush(gLogFile);
}

} // namespace

void debugLine(const char* format, ...) {
    char line[kDebugLineMax]; // one buffer per call: lines of different threads never mix
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0 || static_cast<size_t>(n) >= sizeof line) return;
    os::OutputDebugStringA(line);
}

bool openLog() {
    char path[MAX_PATH];
    readSettings(path, sizeof path);
    if (gLogFlags == 0) return true;
    if (path[0] == '\0') {
        UINT n = os::GetWindowsDirectoryA(path, sizeof path);
        if (n == 0 || n + strlen(kDefaultLogName) >= sizeof path) path[0] = '\0';
        else
            strcat(path, kDefaultLogName);
    }
    debugLine("PTL: Log='%s'\n", path);
    if (gLogFile != nullptr) fclose(gLogFile); // a second start without a clean-up reopens
    gLogFile = path[0] != '\0' ? fopen(path, "a+") : nullptr;
    if (gLogFile == nullptr) return false;
    fputc('\n', gLogFile);
    fflush(gLogFile);
    return true;
}

void closeLog() {
    if (gLogFile != nullptr) fclose(gLogFile);
    gLogFile = nullptr;
}

bool logIsOpen() { return gLogFile != nullptr; }
uint32_t logFlags() { return gLogFlags; }

void logEntry(int handle, const char* format, ...) {
    if (gLogFile == nullptr || !(gLogFlags & kLogCalls)) return;
    va_list args;
    va_start(args, format);
    writeLine(handle, '>', format, args);
    va_end(args);
}

void logResult(int handle, const char* format, ...) {
    if (gLogFile == nullptr || !(gLogFlags & kLogCalls)) return;
    va_list args;
    va_start(args, format);
    writeLine(handle, '<', format, args);
    va_end(args);
}

void logData(int handle, const void* data, size_t count) {
    if (gLogFile == nullptr || !(gLogFlags & kLogData) || count == 0 || data == nullptr) return;
    SYSTEMTIME t{};
    if (gLogFlags & kLogTime) os::GetLocalTime(&t);
    LogClock clock{t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
    char prefix[48];
    formatLogPrefix(prefix, sizeof prefix, gLogFlags, clock, handle);
    const unsigned char* p = static_cast<const unsigned char*>(data);
    char bytes[kTraceBytesPerLine * 3 + 1];
    for (size_t done = 0; done < count; done += kTraceBytesPerLine) {
        size_t n = count - done < kTraceBytesPerLine ? count - done : kTraceBytesPerLine;
        formatTraceBytes(bytes, sizeof bytes, p + done, n);
        fprintf(gLogFile, "%s>%s\n", prefix, bytes);
    }
    fflush(gLogFile);
}

} // namespace ptl
