#include "core/SerialParams.h"

#include <climits>

namespace ptl {

namespace {

struct Rate {
    int shortForm;
    int rate;
    const char *name;
};

// Short forms are what a user types after -b: the rate without its trailing zeros (110 has none).
constexpr Rate kRates[] = {
    {3, 300, "300"},          {6, 600, "600"},          {12, 1200, "1200"},       {24, 2400, "2400"},
    {48, 4800, "4800"},       {96, 9600, "9600"},       {110, 110, "110"},        {144, 14400, "14400"},
    {192, 19200, "19200"},    {384, 38400, "38400"},    {560, 56000, "56000"},    {576, 57600, "57600"},
    {1152, 115200, "115200"}, {1280, 128000, "128000"}, {2560, 256000, "256000"},
};

int letterCode(const char *text, const char *letters) {
    if (text == nullptr)
        return -1;
    char c = text[0];
    if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    for (int i = 0; letters[i] != '\0'; ++i)
        if (letters[i] == c)
            return i;
    return -1;
}

} // namespace

int leadingInt(const char *text) {
    if (text == nullptr)
        return 0;
    const char *p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = (*p++ == '-');
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + (*p - '0');
        if (v > INT_MAX)
            v = static_cast<long long>(INT_MAX) + 1; // keeps the sign's range, never wraps
    }
    if (negative)
        v = -v;
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

int parseBaudRate(const char *text) {
    if (text == nullptr)
        return -1;
    int n = leadingInt(text);
    for (const Rate &r : kRates)
        if (n == r.shortForm || n == r.rate)
            return r.rate;
    return -1;
}

int parseByteSize(const char *text) {
    if (text == nullptr)
        return -1;
    int n = leadingInt(text);
    return (n >= 4 && n <= 8) ? n : -1;
}

int parseParity(const char *text) {
    return letterCode(text, "NOEMS");
}

int parseStopBits(const char *text) {
    if (text == nullptr)
        return -1;
    switch (leadingInt(text)) {
    case 1:
        return 0;
    case 2:
        return 2;
    case 5:
    case 15:
        return 1;
    default:
        return -1;
    }
}

int parseFlow(const char *text) {
    return letterCode(text, "NDRXW");
}

const char *baudRateName(int rate) {
    for (const Rate &r : kRates)
        if (r.rate == rate)
            return r.name;
    return "";
}

const char *byteSizeName(int bits) {
    static const char *const kNames[] = {"4", "5", "6", "7", "8"};
    return (bits >= 4 && bits <= 8) ? kNames[bits - 4] : "";
}

const char *parityName(int parity) {
    static const char *const kNames[] = {"NONE", "ODD", "EVEN", "MARK", "SPACE"};
    return (parity >= 0 && parity <= 4) ? kNames[parity] : "";
}

const char *stopBitsName(int stop) {
    static const char *const kNames[] = {"1", "1.5", "2"};
    return (stop >= 0 && stop <= 2) ? kNames[stop] : "";
}

const char *flowName(int flow) {
    static const char *const kNames[] = {"NONE", "DTR/DSR", "RTS/CTS", "XON/XOFF", "DTR/DSR+RTS/CTS"};
    return (flow >= 0 && flow <= 4) ? kNames[flow] : "";
}

} // namespace ptl
