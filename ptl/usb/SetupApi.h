// SETUPAPI.DLL, loaded by name for the length of one device-interface discovery and freed after it. Each
// function is looked up at each call; a missing library or function answers the way an empty class
// does, so a system without it only has no USB devices.
#pragma once

#include <windows.h>
#include <setupapi.h>

namespace ptl::setupapi {

// Loads the library for its lifetime. Discoveries are serialised: the module variable is process-wide.
class Session {
public:
    Session();
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    // INVALID_HANDLE_VALUE when there is no list (or no library).
    HDEVINFO getClassDevs(const GUID *guid, DWORD flags);
    // FALSE with ERROR_NO_MORE_ITEMS when the library or function is missing.
    BOOL enumInterfaces(HDEVINFO list, const GUID *guid, DWORD index, SP_DEVICE_INTERFACE_DATA *data);
    // FALSE when the library or function is missing.
    BOOL interfaceDetail(HDEVINFO list, SP_DEVICE_INTERFACE_DATA *data,
                         SP_DEVICE_INTERFACE_DETAIL_DATA_A *detail, DWORD size, DWORD *required);
    void destroyList(HDEVINFO list);

private:
    FARPROC lookup(const char *name);
};

} // namespace ptl::setupapi
