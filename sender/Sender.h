// rawpush: sends the bytes of one file, unchanged, to a printer target through the port library.
#pragma once

#include <cstdio>

namespace rawpush {

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1; // options, start-up, file, open, serial settings, claim or force
constexpr int kExitReadFailed = 2;
constexpr int kExitSendFailed = 3;

constexpr int kBlockSize = 4096;
constexpr int kReleaseDrainMs = 5000;

// The whole program; out and err stand for the standard output and error streams.
int run(int argc, const char *const *argv, FILE *out, FILE *err);

// -l: the default printer, the spooler's printers and the printer drivers. Returns the exit code (0).
int listPrinters(FILE *out);

} // namespace rawpush
