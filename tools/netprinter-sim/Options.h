// Command line of the network printer simulator.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

struct Options {
    std::string address = "127.0.0.1";
    uint16_t port = 9100;        // raw print port
    uint16_t controlPort = 3289; // UDP control protocol
    std::string outDir = ".";
    int jobs = 0;           // end after this many jobs; 0: no limit
    int lifetimeS = 0;      // end after this many seconds; 0: no limit
    std::string readyEvent; // named event set once both ports listen
    std::string stopEvent;  // named event that ends the program
    std::string info = "NETPRINTER-SIM raw 9100 control 3289";
    std::string id = "SIM-0001";
    bool silent = false;     // never answer the control channel
    bool forceNever = false; // answer force with the other state
    int refuse = 0;          // result field of every control reply
    int readDelayMs = 0;     // pause after each read
    int readSize = 65536;    // bytes asked for per read
    uint64_t stallEvery = 0; // pause stallMs after each stallEvery bytes
    int stallMs = 1000;
    uint64_t resetAfter = 0; // reset the connection once this many bytes of a job arrived; 0: never
    bool neverClose = false; // keep each connection open after its job ended
    bool discard = false;    // count and hash jobs without writing files
    bool quiet = false;      // no line per control request
};

// Reads the options; false with a message in error for anything it does not accept.
bool parseOptions(int argc, const char *const *argv, Options &o, std::string &error);

extern const char kUsage[];

} // namespace sim
