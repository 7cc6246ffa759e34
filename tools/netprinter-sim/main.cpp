// netprinter-sim: a network printer for tests and demonstrations (see README.md beside this file).
#include <windows.h>
#include <winsock2.h>

#include <cstdio>
#include <string>

#include "Options.h"
#include "Simulator.h"

namespace {

sim::Simulator *gSim = nullptr;

BOOL WINAPI onCtrl(DWORD) {
    if (gSim != nullptr)
        gSim->stop();
    return TRUE;
}

} // namespace

int main(int argc, char **argv) {
    sim::Options o;
    std::string error;
    if (argc > 1 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        fputs(sim::kUsage, stdout);
        return 0;
    }
    if (!sim::parseOptions(argc, argv, o, error)) {
        fprintf(stderr, "netprinter-sim: %s\n%s", error.c_str(), sim::kUsage);
        return 2;
    }
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        fputs("netprinter-sim: Windows Sockets 2.2 not available\n", stderr);
        return 1;
    }
    int rc = 1;
    {
        sim::Simulator s(o, stdout);
        gSim = &s;
        SetConsoleCtrlHandler(onCtrl, TRUE);
        if (s.listen())
            rc = s.run();
        gSim = nullptr;
    }
    WSACleanup();
    return rc;
}
