#include "core/Log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/LogFormat.h"
#include "os/Syscalls.h"

namespace ptl {

namespace {

// The log file is written only from the public functions, which run on one thread at a time.
FILE *gLogFile = nullptr;
uint32_t gLogFlags = 0;

void readSettings(char *path, DWORD pathSize) {
    gLogFlags = 0;
    path[0] = '\0';
    HKEY key = nullptr;
    if (os::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    DWORD flags = 0, type = 0, size = sizeof flags;
    if (os::RegQueryValueExA(key, kLogValue, nullptr, &type, reinterpret_cast<BYTE *>(&flags), &size) ==
            ERROR_SUCCESS &&
        size == sizeof flags)
        gLogFlags = flags;
    if (gLogFlags != 0) {
        DWORD pathLen = pathSize;
        if (os::RegQueryValueExA(key, kLogPathValue, nullptr, &type, reinterpret_cast<BYTE *>(path),
                                 &pathLen) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            path[0] = '\0';
        else
            path[pathSize - 1] = '\0'; // a value stored without its terminator
    }
    os::RegCloseKey(key);
}

void writeLine(int handle, char marker, const char *format, va_list args) {
    SYSTEMTIME t{};
    if (gLogFlags & kLogTime)
        os::GetLocalTime(&t);
    LogClock clock{t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
    char prefix[48];
    formatLogPrefix(prefix, sizeof prefix, gLogFlags, clock, handle);
    fputs(prefix, gLogFile);
    fputc(marker, gLogFile);
    vfprintf(gLogFile, format, args);
    fputc('\n', gLogFile);
    fflush(gLogFile);
}

// Under Wine a debug line costs a round trip to the Wine server even when nothing reads it, which at
// one line per block halves a network port's speed. There a line is sent only while something can see
// it: a debugger, a debug monitor (the "DBWIN_BUFFER" section that monitors create), or Wine's own
// "debugstr" channel (WINEDEBUG=+debugstr). The answer is looked up again at most once a second, so a
// monitor started later sees the lines from then on. On Windows every line is sent. The calls go to the
// system's functions directly: this decides about the output, it is not output a test simulates.
struct WineDebugChannel {
    unsigned char flags;
    char name[15];
};
constexpr unsigned char kWineChannelWarn = 1 << 2;
constexpr unsigned char kWineChannelUnset = 0xFF;
constexpr DWORD kListenerRecheckMs = 1000;

bool wineListenerPresent() {
    const os::Api &sys = os::realApi();
    if (sys.IsDebuggerPresent())
        return true;
    if (HANDLE monitor = sys.OpenFileMappingA(FILE_MAP_READ, FALSE, "DBWIN_BUFFER")) {
        sys.CloseHandle(monitor);
        return true;
    }
    using GetFlags = unsigned char(__cdecl *)(WineDebugChannel *);
    static const auto getFlags = reinterpret_cast<GetFlags>(
        sys.GetProcAddress(sys.GetModuleHandleA("ntdll.dll"), "__wine_dbg_get_channel_flags"));
    if (getFlags == nullptr)
        return true; // cannot tell: send
    WineDebugChannel channel{kWineChannelUnset, "debugstr"};
    return (getFlags(&channel) & kWineChannelWarn) != 0;
}

} // namespace

bool debugOutputWanted() {
    if (os::simulation().debugOutput || !os::isWine())
        return true;
    static std::atomic<bool> wanted{true};
    static std::atomic<DWORD> checkedAt{0};
    static std::atomic<bool> checked{false};
    const DWORD now = os::realApi().GetTickCount();
    if (!checked.load(std::memory_order_acquire) ||
        now - checkedAt.load(std::memory_order_relaxed) >= kListenerRecheckMs) {
        // Two threads may look at once; both reach the same answer.
        wanted.store(wineListenerPresent(), std::memory_order_relaxed);
        checkedAt.store(now, std::memory_order_relaxed);
        checked.store(true, std::memory_order_release);
    }
    return wanted.load(std::memory_order_relaxed);
}

namespace {

void debugLineV(const char *format, va_list args) {
    if (!debugOutputWanted())
        return;
    char line[kDebugLineMax]; // one buffer per call: lines of different threads never mix
    int n = vsnprintf(line, sizeof line, format, args);
    if (n < 0 || static_cast<size_t>(n) >= sizeof line)
        return;
    os::OutputDebugStringA(line);
}

} // namespace

void debugLine(const char *format, ...) {
    va_list args;
    va_start(args, format);
    debugLineV(format, args);
    va_end(args);
}

void systemCallLine(bool failed, DWORD *error, const char *format, ...) {
    if (failed)
        *error = os::GetLastError();
    va_list args;
    va_start(args, format);
    debugLineV(format, args);
    va_end(args);
}

void waitFailedLine() {
    debugLine("PTL: WAIT_FAILED %d\n", static_cast<int>(os::GetLastError()));
}

bool openLog() {
    char path[MAX_PATH];
    readSettings(path, sizeof path);
    if (gLogFlags == 0)
        return true;
    if (path[0] == '\0') {
        UINT n = os::GetWindowsDirectoryA(path, sizeof path);
        if (n == 0 || n + strlen(kDefaultLogName) >= sizeof path)
            path[0] = '\0';
        else
            strcat(path, kDefaultLogName);
    }
    debugLine("PTL: Log='%s'\n", path);
    if (gLogFile != nullptr)
        fclose(gLogFile); // a second start without a clean-up reopens
    gLogFile = path[0] != '\0' ? fopen(path, "a+") : nullptr;
    if (gLogFile == nullptr)
        return false;
    fputc('\n', gLogFile);
    fflush(gLogFile);
    return true;
}

void closeLog() {
    if (gLogFile != nullptr)
        fclose(gLogFile);
    gLogFile = nullptr;
}

bool logIsOpen() {
    return gLogFile != nullptr;
}
uint32_t logFlags() {
    return gLogFlags;
}

void logEntry(int handle, const char *format, ...) {
    if (gLogFile == nullptr || !(gLogFlags & kLogCalls))
        return;
    va_list args;
    va_start(args, format);
    writeLine(handle, '>', format, args);
    va_end(args);
}

void logResult(int handle, const char *format, ...) {
    if (gLogFile == nullptr || !(gLogFlags & kLogCalls))
        return;
    va_list args;
    va_start(args, format);
    writeLine(handle, '<', format, args);
    va_end(args);
}

void logData(int handle, const void *data, size_t count) {
    if (gLogFile == nullptr || !(gLogFlags & kLogData) || count == 0 || data == nullptr)
        return;
    SYSTEMTIME t{};
    if (gLogFlags & kLogTime)
        os::GetLocalTime(&t);
    LogClock clock{t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
    char prefix[48];
    formatLogPrefix(prefix, sizeof prefix, gLogFlags, clock, handle);
    const unsigned char *p = static_cast<const unsigned char *>(data);
    char bytes[kTraceBytesPerLine * 3 + 1];
    for (size_t done = 0; done < count; done += kTraceBytesPerLine) {
        size_t n = count - done < kTraceBytesPerLine ? count - done : kTraceBytesPerLine;
        formatTraceBytes(bytes, sizeof bytes, p + done, n);
        fprintf(gLogFile, "%s>%s\n", prefix, bytes);
    }
    fflush(gLogFile);
}

} // namespace ptl
