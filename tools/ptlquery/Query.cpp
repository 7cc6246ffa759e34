#include "Query.h"

#include <windows.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ptl/ptl.h"
#include "sender/Options.h"

namespace ptlquery {

namespace {

const char kUsage[] = "Usage: ptlquery [options] <target>\n"
                      " options:\n"
                      "   -a              threaded port variant\n"
                      "   -m<mode>        0 synchronous 1 threaded 2 event-driven 3 window-notified\n"
                      "   -x <hex> ...    bytes to send, in hex: -x 10 04 01  or  -x 100401\n"
                      "   -s <text>       text to send, with C escapes (\\n \\r \\t \\e \\xHH \\ooo ...)\n"
                      "   -t<ms>          time to wait for the answer (default 2000)\n"
                      " example:\n"
                      "   >ptlquery -x 10 04 01 COM1\n";

constexpr char kOptions[] = "am:s:t:x:";
constexpr char kNotSupported[] = "not supported by this port";
constexpr int kTextSize = 1024;
constexpr int kReleaseDrainMs = 5000;

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One word of hex bytes: "4", "04" or pairs such as "100401". False (nothing appended) for anything else.
bool appendHex(const char *word, std::string &bytes) {
    const size_t n = strlen(word);
    if (n == 0 || (n > 2 && n % 2 != 0))
        return false;
    std::string got;
    for (size_t i = 0; i < n; i += 2) {
        const int hi = hexDigit(word[i]);
        const int lo = i + 1 < n ? hexDigit(word[i + 1]) : 0;
        if (hi < 0 || lo < 0)
            return false;
        // A single digit is the whole byte.
        got += static_cast<char>(n == 1 ? hi : hi << 4 | lo);
    }
    bytes += got;
    return true;
}

// Reads up to max digits of a base (8 or 16) at p into value; the count read.
int readDigits(const char *p, int base, int max, unsigned &value) {
    int count = 0;
    value = 0;
    for (; count < max; ++count) {
        const int d = hexDigit(p[count]);
        if (d < 0 || d >= base)
            break;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    }
    return count;
}

// A text with the C escapes, plus \e for ESC. False for an unknown escape, a lone backslash at the end,
// or a value above 0xFF.
bool appendEscaped(const char *text, std::string &bytes) {
    static const char kSimple[] = "n\nr\rt\ta\ab\bf\fv\ve\x1b\\\\\"\"''??";
    std::string got;
    for (const char *p = text; *p != '\0'; ++p) {
        if (*p != '\\') {
            got += *p;
            continue;
        }
        ++p;
        const char *simple = *p != '\0' ? strchr(kSimple, *p) : nullptr;
        unsigned value = 0;
        int used = 0;
        if (simple != nullptr && (simple - kSimple) % 2 == 0) {
            got += simple[1];
            continue;
        }
        if (*p == 'x')
            used = 1 + readDigits(p + 1, 16, 2, value);
        else
            used = readDigits(p, 8, 3, value);
        if (used == 0 || (*p == 'x' && used == 1) || value > 0xFF)
            return false;
        got += static_cast<char>(value);
        p += used - 1;
    }
    bytes += got;
    return true;
}

struct Settings {
    int mode = PTL_MODE_SYNC;
    int timeoutMs = kDefaultTimeoutMs;
    std::string request; // bytes to send, in command-line order
    bool ask = false;    // -x or -s given (an empty -s text still waits for an answer)
    const char *target = nullptr;
};

// A whole non-negative decimal number within limit, or -1.
int number(const char *text, int limit) {
    if (text == nullptr || *text < '0' || *text > '9')
        return -1;
    char *end = nullptr;
    const long v = strtol(text, &end, 10);
    return *end != '\0' || v > limit ? -1 : static_cast<int>(v);
}

// Reads the command line; false after printing what was wrong (the caller prints the usage text).
bool readOptions(int argc, const char *const *argv, Settings &s, FILE *err) {
    rawpush::OptionScanner scan;
    for (int c; (c = scan.next(argc, argv, kOptions)) != -1;) {
        bool ok = true;
        switch (c) {
        case 'a':
            s.mode = PTL_MODE_THREADED;
            break;
        case 'm':
            s.mode = number(scan.value, PTL_MODE_WINDOW);
            ok = s.mode >= 0;
            break;
        case 't':
            s.timeoutMs = number(scan.value, INT_MAX);
            ok = s.timeoutMs >= 0;
            break;
        case 's':
            ok = scan.value != nullptr && appendEscaped(scan.value, s.request);
            s.ask = true;
            break;
        case 'x':
            ok = scan.value != nullptr && appendHex(scan.value, s.request);
            // The byte words go on until a word that is not one; the last word is always the target.
            while (ok && scan.index < argc - 1 && appendHex(argv[scan.index], s.request))
                ++scan.index;
            s.ask = true;
            break;
        default:
            fprintf(err, "Unknown option -%c\n", c);
            return false;
        }
        if (!ok) {
            fprintf(err, "Invalid value for -%c: %s\n", c, scan.value != nullptr ? scan.value : "(none)");
            return false;
        }
    }
    if (argc - scan.index != 1) {
        fputs(argc - scan.index == 0 ? "No target given\n" : "One target only\n", err);
        return false;
    }
    s.target = argv[scan.index];
    return true;
}

// Where a function answers with a result code: -1 is "not supported", above 0 a failure.
bool reportFailure(FILE *out, const char *label, int r) {
    if (r == -1)
        fprintf(out, "%s%s\n", label, kNotSupported);
    else if (r > 0)
        fprintf(out, "%serror %d %s\n", label, r, PtlErrorText(r));
    return r != 0;
}

// A text from the device as one printable line: bytes outside 0x20..0x7E as \xHH.
void printText(FILE *out, const char *text, int length) {
    for (int i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F)
            fputc(c, out);
        else
            fprintf(out, "\\x%02X", c);
    }
    fputc('\n', out);
}

// Sixteen bytes a line: offset, the bytes in hex, the bytes as text (other than 0x20..0x7E: '.').
void dump(FILE *out, const std::string &bytes) {
    for (size_t at = 0; at < bytes.size(); at += 16) {
        fprintf(out, "  %04X ", static_cast<unsigned>(at));
        for (size_t i = at; i < at + 16; ++i) {
            if (i < bytes.size())
                fprintf(out, " %02X", static_cast<unsigned char>(bytes[i]));
            else
                fputs("   ", out);
        }
        fputs("  ", out);
        for (size_t i = at; i < at + 16 && i < bytes.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(bytes[i]);
            fputc(c >= 0x20 && c < 0x7F ? c : '.', out);
        }
        fputc('\n', out);
    }
}

const char *modeName(int mode) {
    static const char *const names[] = {"synchronous", "threaded", "event-driven", "window-notified"};
    return mode >= 0 && mode <= PTL_MODE_WINDOW ? names[mode] : "unknown";
}

void printIdentity(FILE *out, int h, const char *target) {
    fprintf(out, "Target    = %s\n", target);
    fprintf(out, "Interface = %s, type 0x%08X\n", PtlGetIFName(h), static_cast<unsigned>(PtlGetIFType(h)));
    int mode = 0;
    if (!reportFailure(out, "Mode      = ", PtlGetIOMode(h, &mode)))
        fprintf(out, "Mode      = %d %s\n", mode, modeName(mode));
    int ready = 0;
    if (!reportFailure(out, "Ready     = ", PtlIsReady(h, &ready)))
        fprintf(out, "Ready     = %s\n", ready != 0 ? "yes" : "no");
    char id[kTextSize] = {};
    int length = 0;
    if (!reportFailure(out, "Device id = ", PtlGetDeviceId(h, id, sizeof id, &length))) {
        fputs("Device id = ", out);
        // The text ends at the length the port gave, and never past the buffer.
        printText(out, id, length < 0 ? 0 : length < kTextSize ? length : kTextSize);
    }
    unsigned state = 0;
    if (!reportFailure(out, "State     = ", PtlGetDeviceState(h, &state)))
        fprintf(out, "State     = 0x%08X\n", state);
}

// All of the request, retried while a threaded port's queue is full, for at most timeoutMs.
int sendAll(FILE *out, int h, const std::string &bytes, int timeoutMs) {
    const DWORD start = GetTickCount();
    size_t done = 0;
    while (done < bytes.size()) {
        int written = 0;
        const int r =
            PtlSend(h, bytes.data() + done, static_cast<int>(bytes.size() - done), &written, 0, 0, 0);
        if (r != 0) {
            fprintf(out, "PtlSend() err=%d dwErr=%d\n", r, static_cast<int>(GetLastError()));
            return kExitPortFailed;
        }
        if (written > 0) {
            done += static_cast<size_t>(written) < bytes.size() - done ? static_cast<size_t>(written)
                                                                       : bytes.size() - done;
        } else if (GetTickCount() - start >= static_cast<DWORD>(timeoutMs)) {
            fprintf(out, "The port took no data within %d ms\n", timeoutMs);
            return kExitPortFailed;
        } else {
            Sleep(1);
        }
    }
    fprintf(out, "Sent      = %u byte%s\n", static_cast<unsigned>(bytes.size()),
            bytes.size() == 1 ? "" : "s");
    dump(out, bytes);
    return kExitOk;
}

// The answer: the first byte within timeoutMs, then more until a pause of kQuietGapMs or the time-out.
int receive(FILE *out, int h, int timeoutMs) {
    const DWORD start = GetTickCount();
    std::string answer;
    char buffer[kTextSize];
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        const DWORD left = elapsed < static_cast<DWORD>(timeoutMs) ? timeoutMs - elapsed : 0;
        const int wait = answer.empty() ? static_cast<int>(left)
                                        : static_cast<int>(left < kQuietGapMs ? left : kQuietGapMs);
        int got = 0;
        const int r = PtlRecv(h, buffer, sizeof buffer, &got, wait);
        if (r == -1) {
            fprintf(out, "Answer    = %s\n", kNotSupported);
            return kExitPortFailed;
        }
        if (r > 0 && r != 1019) {
            fprintf(out, "PtlRecv() err=%d dwErr=%d\n", r, static_cast<int>(GetLastError()));
            return kExitPortFailed;
        }
        if (got > 0)
            answer.append(buffer, static_cast<size_t>(got < kTextSize ? got : kTextSize));
        if (got <= 0 || wait == 0 || answer.size() >= kMaxAnswer)
            break;
    }
    if (answer.empty()) {
        fprintf(out, "No answer within %d ms\n", timeoutMs);
        return kExitNoAnswer;
    }
    fprintf(out, "Answer    = %u byte%s\n", static_cast<unsigned>(answer.size()),
            answer.size() == 1 ? "" : "s");
    dump(out, answer);
    return kExitOk;
}

int query(const Settings &s, FILE *out, FILE *err) {
    const int h = PtlOpenByName(s.target, s.mode);
    if (h == -1) {
        fprintf(err, "PtlOpenByName <%s> mode %d: no such target or mode\n", s.target, s.mode);
        if (const char *at = strchr(s.target, '@'))
            fprintf(err, "Not a printer address: <%s>\n", at + 1);
        return kExitFailed;
    }
    int result = kExitOk;
    const int claim = PtlClaim(h, 0);
    if (claim > 0) {
        fprintf(out, "PtlClaim()=%s\n", PtlErrorText(claim));
        result = kExitFailed;
    } else {
        printIdentity(out, h, s.target);
        if (s.ask)
            result = sendAll(out, h, s.request, s.timeoutMs);
        if (s.ask && result == kExitOk)
            result = receive(out, h, s.timeoutMs);
        PtlRelease(h, kReleaseDrainMs);
    }
    PtlClose(h);
    return result;
}

} // namespace

int run(int argc, const char *const *argv, FILE *out, FILE *err) {
    Settings s;
    if (!readOptions(argc, argv, s, err)) {
        fputs(kUsage, err);
        return kExitFailed;
    }
    if (PtlStartup(nullptr) > 0) {
        fputs("PtlStartup()\n", err);
        return kExitFailed;
    }
    const int result = query(s, out, err);
    PtlCleanup();
    fflush(out);
    return result;
}

} // namespace ptlquery
