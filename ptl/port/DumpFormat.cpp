#include "port/DumpFormat.h"

#include <cstdio>

namespace ptl {

namespace {

const char *const kControlNames[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                       "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                       "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                       "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

struct NameTable {
    char names[256][5];
    NameTable() {
        for (int b = 0; b < 256; ++b) {
            char *n = names[b];
            if (b < 0x20)
                snprintf(n, 5, "%s", kControlNames[b]);
            else if (b == '"')
                snprintf(n, 5, "\\\"");
            else if (b == '\\')
                snprintf(n, 5, "\\\\");
            else if (b < 0x7F)
                snprintf(n, 5, "%c", b);
            else if (b == 0x7F)
                snprintf(n, 5, "DEL");
            else
                snprintf(n, 5, "\\x%02X", b);
        }
    }
};

} // namespace

const char *byteName(unsigned char b) {
    static const NameTable table;
    return table.names[b];
}

size_t formatDumpLine(char *out, size_t size, unsigned offset, unsigned char b) {
    int n = snprintf(out, size, ">%06X: %3u  %02Xh  %-4s\n", offset, static_cast<unsigned>(b),
                     static_cast<unsigned>(b), byteName(b));
    if (n < 0)
        return 0;
    return static_cast<size_t>(n) < size ? static_cast<size_t>(n) : size - 1;
}

} // namespace ptl
