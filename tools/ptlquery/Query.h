// ptlquery: opens and claims one printer target through ptl.dll, prints what the port tells about itself
// and, when asked, sends a few bytes and prints the printer's answer. A client of the public functions
// only, like rawpush.
#pragma once

#include <cstdio>

namespace ptlquery {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;     // options, start-up, target or claim
constexpr int kExitPortFailed = 3; // the port did not take the bytes or could not receive
constexpr int kExitNoAnswer = 4;   // nothing came back within the time-out

constexpr int kDefaultTimeoutMs = 2000;
// Once an answer has begun, a pause this long ends it (still within the time-out).
constexpr int kQuietGapMs = 100;
constexpr size_t kMaxAnswer = 65536;

// The whole program: out receives the report, err the usage text and failures. Returns the exit code.
int run(int argc, const char *const *argv, FILE *out, FILE *err);

} // namespace ptlquery
