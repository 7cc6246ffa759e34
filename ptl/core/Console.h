// The standard output stream the library prints to (dump lines, window-procedure reports). Tests point it
// at a file of their own.
#pragma once

#include <cstdio>

namespace ptl {

FILE *&consoleOut();

} // namespace ptl
