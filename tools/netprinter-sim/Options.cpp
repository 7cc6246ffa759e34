#include "Options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace sim {

const char kUsage[] =
    "Usage: netprinter-sim [options]\n"
    "  A network printer on one IPv4 address: raw print port (TCP) and control protocol (UDP).\n"
    "  A status request 0x10 0x04 n in a job is answered with 0x16 (n 1) or 0x12 (n 2..4).\n"
    "  --address A         IPv4 address to listen on (default 127.0.0.1)\n"
    "  --port N            raw print port (default 9100)\n"
    "  --control-port N    UDP control port (default 3289)\n"
    "  --out DIR           folder for received jobs, job N as DIR\\jobNNNN.bin (default .)\n"
    "  --jobs N            end after N jobs (default: run until stopped)\n"
    "  --lifetime S        end after S seconds in any case\n"
    "  --ready-event NAME  set the named event once both ports listen\n"
    "  --stop-event NAME   end when the named event is set\n"
    "  --info TEXT         information text (up to 133 characters)\n"
    "  --id TEXT           identification text (up to 13 characters)\n"
    "  --refuse N          answer every control request with result N\n"
    "  --discard           do not write job files (size and hash only)\n"
    "  --quiet             no line per control request\n"
    " misbehaviour:\n"
    "  --silent            never answer the control channel\n"
    "  --force-never       answer force with the other state: the state asked for is never reached\n"
    "  --read-delay MS     slow reader: pause MS after each read\n"
    "  --read-size N       bytes per read (default 65536)\n"
    "  --stall-every N     stalling reader: after each N bytes pause --stall-ms (default 1000)\n"
    "  --stall-ms MS\n"
    "  --reset-after N     reset the connection once N bytes of a job have arrived\n"
    "  --never-close       keep each connection open after its job has ended\n"
    " Ctrl+C ends the program.\n";

namespace {

bool number(const char *text, uint64_t max, uint64_t &out) {
    if (text == nullptr || *text < '0' || *text > '9')
        return false;
    errno = 0;
    char *end = nullptr;
    unsigned long long v = strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || v > max)
        return false;
    out = v;
    return true;
}

} // namespace

bool parseOptions(int argc, const char *const *argv, Options &o, std::string &error) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char *v = i + 1 < argc ? argv[i + 1] : nullptr;
        uint64_t n = 0;
        auto num = [&](uint64_t max) {
            if (!number(v, max, n)) {
                error = "bad value for " + a;
                return false;
            }
            ++i;
            return true;
        };
        auto text = [&](std::string &out) {
            if (v == nullptr) {
                error = "missing value for " + a;
                return false;
            }
            out = v;
            ++i;
            return true;
        };
        bool ok = true;
        if (a == "--address")
            ok = text(o.address);
        else if (a == "--port")
            ok = num(65535) && (o.port = static_cast<uint16_t>(n), true);
        else if (a == "--control-port")
            ok = num(65535) && (o.controlPort = static_cast<uint16_t>(n), true);
        else if (a == "--out")
            ok = text(o.outDir);
        else if (a == "--jobs")
            ok = num(1000000) && (o.jobs = static_cast<int>(n), true);
        else if (a == "--lifetime")
            ok = num(86400 * 365) && (o.lifetimeS = static_cast<int>(n), true);
        else if (a == "--ready-event")
            ok = text(o.readyEvent);
        else if (a == "--stop-event")
            ok = text(o.stopEvent);
        else if (a == "--info")
            ok = text(o.info);
        else if (a == "--id")
            ok = text(o.id);
        else if (a == "--refuse")
            ok = num(65535) && (o.refuse = static_cast<int>(n), true);
        else if (a == "--read-delay")
            ok = num(600000) && (o.readDelayMs = static_cast<int>(n), true);
        else if (a == "--read-size")
            ok = num(1 << 24) && n > 0 && (o.readSize = static_cast<int>(n), true);
        else if (a == "--stall-every")
            ok = num(UINT64_MAX) && (o.stallEvery = n, true);
        else if (a == "--stall-ms")
            ok = num(600000) && (o.stallMs = static_cast<int>(n), true);
        else if (a == "--reset-after")
            ok = num(UINT64_MAX) && (o.resetAfter = n, true);
        else if (a == "--silent")
            o.silent = true;
        else if (a == "--force-never")
            o.forceNever = true;
        else if (a == "--never-close")
            o.neverClose = true;
        else if (a == "--discard")
            o.discard = true;
        else if (a == "--quiet")
            o.quiet = true;
        else {
            error = "unknown option " + a;
            return false;
        }
        if (!ok) {
            if (error.empty())
                error = "bad value for " + a;
            return false;
        }
    }
    if (o.port == 0) {
        error = "--port must not be 0";
        return false;
    }
    return true;
}

} // namespace sim
