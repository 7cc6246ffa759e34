#include "sender/Options.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "ptl/ptl.h"

namespace rawpush {

namespace {

// The number at the start of a text as the C library's atoi reads it, saturating instead of overflowing.
int leadingInt(const char *text) {
    const long v = strtol(text, nullptr, 10);
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

} // namespace

int OptionScanner::next(int argc, const char *const *argv, const char *options) {
    if (pos == 1) {
        if (index >= argc || argv[index] == nullptr || argv[index][0] != '-' || argv[index][1] == '\0')
            return -1;
        if (strcmp(argv[index], "--") == 0) {
            ++index;
            return -1;
        }
    }
    const char *word = argv[index];
    letter = static_cast<unsigned char>(word[pos]);
    const char *spec = letter == ':' ? nullptr : strchr(options, letter);
    if (spec == nullptr) {
        if (word[++pos] == '\0') {
            ++index;
            pos = 1;
        }
        return letter;
    }
    if (spec[1] == ':') {
        if (word[pos + 1] != '\0') {
            value = word + pos + 1;
            ++index;
        } else {
            ++index;
            value = index < argc ? argv[index++] : nullptr;
        }
        pos = 1;
        return letter;
    }
    value = nullptr;
    if (word[++pos] == '\0') {
        ++index;
        pos = 1;
    }
    return letter;
}

Outcome readOptions(int argc, const char *const *argv, Settings &s, FILE *err) {
    OptionScanner scan;
    for (int c; (c = scan.next(argc, argv)) != -1;) {
        int *target = nullptr;
        int code = 0;
        switch (c) {
        case 'a':
            s.threaded = 1;
            continue;
        case 'l':
            return Outcome::List;
        case 'w':
            if (scan.value == nullptr)
                return Outcome::Usage;
            s.waitSeconds = leadingInt(scan.value);
            continue;
        case 'b':
            target = &s.baudRate;
            code = PtlParseBaudRate(scan.value);
            break;
        case 'd':
            target = &s.byteSize;
            code = PtlParseByteSize(scan.value);
            break;
        case 'f':
            target = &s.flow;
            code = PtlParseFlow(scan.value);
            break;
        case 'p':
            target = &s.parity;
            code = PtlParseParity(scan.value);
            break;
        case 's':
            target = &s.stopBits;
            code = PtlParseStopBits(scan.value);
            break;
        default:
            fprintf(err, "unkown parameter %c\n", c);
            continue;
        }
        if (code == -1) {
            fprintf(err, "Invalid parameter %c\n", c);
            return Outcome::Invalid;
        }
        *target = code;
    }
    if (argc - scan.index != 2)
        return Outcome::Usage;
    s.file = argv[scan.index];
    s.target = argv[scan.index + 1];
    return Outcome::Run;
}

} // namespace rawpush
