#include "core/Console.h"

#include <cstdarg>

namespace ptl {

FILE *&consoleOut() {
    static FILE *out = stdout;
    return out;
}

void consolePrintf(const char *format, ...) {
    va_list args;
    va_start(args, format);
    vfprintf(consoleOut(), format, args);
    va_end(args);
    fflush(consoleOut());
}

} // namespace ptl
