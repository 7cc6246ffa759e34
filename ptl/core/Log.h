// Diagnostics: debug lines to the debugger output (always on) and the registry-controlled log file with
// the call lines of the public functions and the data trace.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace ptl {

// Registry key (under HKEY_LOCAL_MACHINE) and values that switch the log file on.
constexpr const char *kSettingsKey = "Software\\KAVRO\\LIBPTL";
constexpr const char *kLogValue = "Log";
constexpr const char *kLogPathValue = "LogPath";
constexpr const char *kDefaultLogName = "\\LIBPTL.LOG";

// Longest debug line, terminator included; a longer line is dropped, not cut.
constexpr size_t kDebugLineMax = 1024;

// Whether debug lines are sent at all: always on Windows and whenever a test has replaced the output;
// under Wine only while a debugger, a debug monitor or the debugstr channel can read them.
bool debugOutputWanted();

// Formats one line and sends it whole to the debugger output. Safe from any thread.
void debugLine(const char *format, ...) __attribute__((format(printf, 1, 2)));

// The debug line of a system call a port made. When the call failed, its system error (the thread's last
// error) is first kept in *error, since writing the line can change the thread's error.
void systemCallLine(bool failed, DWORD *error, const char *format, ...) __attribute__((format(printf, 3, 4)));

// The line of a wait that failed, with the thread's system error: "PTL: WAIT_FAILED <error>".
void waitFailedLine();

// Reads the settings and opens the log file when they ask for one; false when it cannot be opened.
bool openLog();
void closeLog();
bool logIsOpen();
uint32_t logFlags();

// The call lines of the public functions: marker ">" at entry, "<" with the result.
void logEntry(int handle, const char *format, ...) __attribute__((format(printf, 2, 3)));
void logResult(int handle, const char *format, ...) __attribute__((format(printf, 2, 3)));
// The data trace of a send: sixteen bytes a line.
void logData(int handle, const void *data, size_t count);

} // namespace ptl
