// The standard output stream the library prints to (dump lines, window-procedure reports, the link and
// XFS reports). Tests point it at a file of their own.
#pragma once

#include <cstdio>

namespace ptl {

FILE *&consoleOut();

// printf to the stream, flushed at once so that the lines of a thread appear whole and in time.
void consolePrintf(const char *format, ...) __attribute__((format(printf, 1, 2)));

} // namespace ptl
