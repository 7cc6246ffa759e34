#include "core/Target.h"

#include <cstring>

namespace ptl {

const InterfaceRow kInterfaceTable[34] = {
    {"CON", kIfConsole, -1, -1},
    {"DUMP", kIfDump, -1, -1},
    {"COM", kIfCom, 1, -1},
    {"LPT", kIfLpt, 1, -1},
    {"PRN", kIfLpt, 1, -1},
    {"VQUSB", kIfVqusb, 0, 0},
    {"XDUSB", kIfVqusb, 0, 1},
    {"VQPRN", kIfVqprn, 0, 0},
    {"XDPRN", kIfVqprn, 0, 1},
    {"USBPRN", kIfUsbprn, 0, -1},
    {"VQNET", kIfVqnet, -1, -1},
    {"SPOOLER", kIfSpooler, 0, -1},
    {"VQOLM", kIfOlmprt, 1, 0},
    {"XDOLM", kIfOlmprt, 1, 1},
    {"ZROLM", kIfOlmprt, 1, 2},
    {"IBMFP", kIfIbmFp, 1, -1},
    {"IBMDLL", kIfIbmDll, 1, -1},
    {"JOBSPOOL", kIfEbapi, -1, 1},
    {"REMOTE", kIfEbapi, -1, 0x10010003},
    {"D4CTRL", kIfEbapi, -1, 0x10000005},
    {"IBMTI4", kIfIbmTI4, 0, -1},
    {"IBMM4", kIfIbmM4, 0, -1},
    {"ALD", kIfAld, -1, -1},
    {"KVBSLM", kIfKvbslm, 0, -1},
    {"KVBSDH", kIfKvbsdh, 0, -1},
    {"XFS", kIfXfs, -1, -1},
    {"HPRDH", kIfHprdh, 0, -1},
    {"OLMPRT", kIfOlmprt, 1, 0},
    {"LIBUSB", kIfLibusb, 0, 0},
    {"VQLPT", kIfVqlpt, 1, -1},
    {"TULIP", kIfTulip, 1, -1},
    {"ULTRA", kIfAea, 1, 0},
    {"RESA", kIfAea, 1, 1},
    {"SITA", kIfAea, 1, 2},
};

namespace {

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Interface names are plain ASCII letters and digits, so a byte-wise comparison gives the same answer as a
// multi-byte one: a lead byte of a double-byte character never equals one of them.
bool startsWithName(const char *text, const char *name) {
    for (; *name != '\0'; ++name, ++text)
        if (*text == '\0' || upper(*text) != *name)
            return false;
    return true;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits up to the first non-digit; saturates instead of overflowing on absurdly long numbers.
int readNumber(const char *p) {
    long long v = 0;
    for (; isDigit(*p); ++p) {
        v = v * 10 + (*p - '0');
        if (v > 0x7FFFFFFF)
            v = 0x7FFFFFFF;
    }
    return static_cast<int>(v);
}

// One part of a dotted address: decimal, octal with a leading 0, hex with 0x. Returns false on no digits.
bool readPart(const char *&p, unsigned long long &out) {
    unsigned base = 10;
    if (*p == '0') {
        base = 8;
        if (p[1] == 'x' || p[1] == 'X') {
            base = 16;
            p += 2;
        }
    }
    const char *start = p;
    unsigned long long v = 0;
    for (;; ++p) {
        unsigned d;
        char c = *p;
        if (isDigit(c))
            d = static_cast<unsigned>(c - '0');
        else if (base == 16 && upper(c) >= 'A' && upper(c) <= 'F')
            d = static_cast<unsigned>(upper(c) - 'A' + 10);
        else
            break;
        if (d >= base)
            return false;
        v = v * base + d;
        if (v > 0xFFFFFFFFull)
            return false;
    }
    if (p == start)
        return false; // "0x" alone has no digits

    out = v;
    return true;
}

} // namespace

uint32_t ipv4FromText(const char *text) {
    uint32_t address = 0xFFFFFFFFu;
    return readIpv4(text, &address) ? address : 0xFFFFFFFFu;
}

bool readIpv4(const char *text, uint32_t *address) {
    if (text == nullptr || *text == '\0')
        return false;
    const char *p = text;
    unsigned long long parts[4];
    int n = 0;
    for (;;) {
        if (n == 4)
            return false;
        if (!readPart(p, parts[n]))
            return false;
        ++n;
        if (*p == '.') {
            ++p;
            continue;
        }
        break;
    }
    // The socket library accepts trailing blanks after the address and nothing else.
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p != '\0')
        return false;
    uint32_t host;
    switch (n) {
    case 1:
        host = static_cast<uint32_t>(parts[0]);
        break;
    case 2:
        if (parts[0] > 0xFF || parts[1] > 0xFFFFFF)
            return false;
        host = static_cast<uint32_t>(parts[0] << 24 | parts[1]);
        break;
    case 3:
        if (parts[0] > 0xFF || parts[1] > 0xFF || parts[2] > 0xFFFF)
            return false;
        host = static_cast<uint32_t>(parts[0] << 24 | parts[1] << 16 | parts[2]);
        break;
    default:
        for (int i = 0; i < 4; ++i)
            if (parts[i] > 0xFF)
                return false;
        host = static_cast<uint32_t>(parts[0] << 24 | parts[1] << 16 | parts[2] << 8 | parts[3]);
        break;
    }
    // Network byte order: the first octet is the lowest-addressed byte.
    *address = (host >> 24) | ((host >> 8) & 0xFF00u) | ((host << 8) & 0xFF0000u) | (host << 24);
    return true;
}

bool isMistypedNetworkTarget(const char *text) {
    if (text == nullptr)
        return false;
    for (const InterfaceRow &row : kInterfaceTable) {
        if ((static_cast<uint32_t>(row.type) & kIfNetworkBit) == 0 || !startsWithName(text, row.name))
            continue;
        const char *p = text + strlen(row.name);
        while (isDigit(*p))
            ++p;
        uint32_t address = 0;
        return *p == '@' && !readIpv4(p + 1, &address);
    }
    return false;
}

bool isAcceptedAddress(uint32_t address) {
    if (address == 0 || address == 0xFFFFFFFFu)
        return false;
    const unsigned firstOctet = address & 0xFFu; // lowest-addressed byte on a little-endian host
    return firstOctet != 0 && firstOctet != 255;
}

Target parseTarget(const char *text) {
    if (text == nullptr)
        text = "";
    Target t{kIfFile, -1, -1, 0};
    // A printer address with a typing error must not turn the job into a file of that name.
    if (isMistypedNetworkTarget(text))
        return Target{kIfRefused, -1, -1, 0};
    for (const InterfaceRow &row : kInterfaceTable) {
        if (!startsWithName(text, row.name))
            continue;
        const char *after = text + strlen(row.name);
        if (*after == '\0' || *after == '@')
            t.portNo = row.defaultPort;
        else if (isDigit(*after))
            t.portNo = readNumber(after);
        else
            return t; // still kIfFile
        t.subType = row.subType;
        const char *at = strchr(text, '@');
        if ((static_cast<uint32_t>(row.type) & kIfNetworkBit) == 0 || at == nullptr)
            return {row.type, t.portNo, t.subType, t.address};
        t.address = ipv4FromText(at + 1);
        if (isAcceptedAddress(t.address))
            return {row.type, t.portNo, t.subType, t.address};
        // A rejected address lets the scan go on; what this row set stays unless a later row sets it.
    }
    return t;
}

} // namespace ptl
