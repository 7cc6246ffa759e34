// The dump port's line: offset, value in decimal and hex, and the byte's name.
#pragma once

#include <cstddef>

namespace ptl {

// "NUL".."US" for control bytes, the character itself for printable ones (\" and \\ escaped), "DEL",
// and \xHH above 0x7F.
const char *byteName(unsigned char b);

// ">%06X: %3u  %02Xh  %-4s\n"; returns the length.
size_t formatDumpLine(char *out, size_t size, unsigned offset, unsigned char b);

} // namespace ptl
