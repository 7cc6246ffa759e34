// Line formats of the log file, kept apart from the file itself so that they can be checked anywhere.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ptl {

// Log flag bits (registry value "Log").
constexpr uint32_t kLogTime = 0x01;
constexpr uint32_t kLogHandle = 0x02;
constexpr uint32_t kLogCalls = 0x10;
constexpr uint32_t kLogData = 0x20;

struct LogClock {
    int month, day, hour, minute, second, millis;
};

// The prefix of a log line for the given flags: "MMDD HHMMSS.mmm " with kLogTime, then "%08X " with
// kLogHandle. Returns the length written (always terminated; the buffer needs 32 bytes).
size_t formatLogPrefix(char *out, size_t size, uint32_t flags, const LogClock &clock, int handle);

// One data-trace line body: " %02X" for each of count (1 to 16) bytes. Returns the length.
size_t formatTraceBytes(char *out, size_t size, const unsigned char *data, size_t count);

// Bytes per data-trace line.
constexpr size_t kTraceBytesPerLine = 16;

} // namespace ptl
