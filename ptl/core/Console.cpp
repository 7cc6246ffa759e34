#include "core/Console.h"

namespace ptl {

FILE *&consoleOut() {
    static FILE *out = stdout;
    return out;
}

} // namespace ptl
