// The sender's command line: a getopt-style scanner and the settings it fills.
#pragma once

#include <cstdio>

namespace rawpush {

constexpr const char *kOptionString = "alb:d:f:p:s:w:";

// Scanner state: word index and character position both start at 1.
struct OptionScanner {
    int index = 1;
    int pos = 1;
    int letter = 0;
    const char *value = nullptr;

    // The next option letter, or -1 at the end of the options. Never prints.
    int next(int argc, const char *const *argv, const char *options = kOptionString);
};

// What the options ask for. -1 leaves a serial setting as the port has it.
struct Settings {
    int threaded = 0;
    int baudRate = -1;
    int byteSize = -1;
    int parity = -1;
    int stopBits = -1;
    int flow = -1;
    int waitSeconds = 0;
    const char *file = nullptr;
    const char *target = nullptr;
};

enum class Outcome {
    Run,     // file and target are set
    List,    // -l: list the printers and end
    Usage,   // wrong number of words, or -w without a value
    Invalid, // a serial option's value was not accepted (the message is already printed)
};

// Reads all options and the two remaining words. Prints "unkown parameter %c" and "Invalid parameter %c"
// to err as they occur; the caller prints the usage text and the listing.
Outcome readOptions(int argc, const char *const *argv, Settings &settings, FILE *err);

} // namespace rawpush
