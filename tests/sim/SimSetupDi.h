// SETUPAPI.DLL's device-interface lists, handed out through the seam's LoadLibraryA and GetProcAddress:
// the interfaces of each class in the order added, as the platform would enumerate them. One at a time.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/Seam.h"

namespace ptl::test {

struct SimSetupDi {
    explicit SimSetupDi(Seam &seam);
    ~SimSetupDi();

    std::vector<std::pair<GUID, std::string>> interfaces;
    bool missing = false; // LoadLibraryA("SETUPAPI.DLL") fails
    int loads = 0;        // successful loads of the library
    int lists = 0;        // SetupDiGetClassDevsA calls
    int liveLists = 0;    // lists not destroyed
    DWORD flags = 0;      // of the last SetupDiGetClassDevsA
    bool sizesOk = true;  // every interface cbSize was 28 and every detail cbSize 5

    // Further libraries handed out the same way (a seam entry has one handler): by upper-case name.
    struct Library {
        HMODULE module;
        std::map<std::string, FARPROC> functions;
        bool missing = false; // neither the library nor its functions can be had
    };
    std::map<std::string, Library> libraries;
};

} // namespace ptl::test
