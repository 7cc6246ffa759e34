// Base of the ports that open a Windows USB device by its device-interface path: discovery of the path
// through SETUPAPI.DLL (n-th interface of a class, optionally filtered by vendor and product id), the open
// and close of the handle, plain blocking send and receive, and the helpers the driver ports share.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "port/WPort.h"

namespace ptl {

constexpr size_t kUsbPathSize = 260;
// force(0) polls the device state this often before it gives up, this far apart.
constexpr int kForcePolls = 1000;
constexpr DWORD kForcePollMs = 50;
// The state-word bit force(0) waits on.
constexpr unsigned short kStateBusyBit = 0x0002;
// The state value force writes when switched on.
constexpr unsigned short kStateForced = 2;

// deviceState of the ports whose driver keeps a 16-bit state word: 1001 while not claimed.
int wordState(WPort *port, unsigned *state);

class WUsb : public WPort {
public:
    ~WUsb() override;

    int getName(char *out) override;
    int getPortNo(int *no) override;
    int setPortNo(int no) override;
    int getSubType(int *v) override;
    int setSubType(int v) override;
    int setVendorId(unsigned short id) override;
    int setProductId(unsigned short id) override;
    DeviceHandle getHandle() override;
    bool isClaimed() override;
    bool isReady() override;
    int release(int timeoutMs) override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    int recv(void *buffer, int size, int *got, int p4) override;
    // The device path the port found (1001 until a claim found one).
    int deviceIdText(char *text, int size, int *length) override;

    // The index-th device interface of the class that passes the id filter: its path (at most 259
    // characters; longer ones are skipped and not counted) into out (kUsbPathSize bytes). False when none.
    bool devicePath(char *out, const GUID &guid, int index);
    const char *storedPath() const { return devicePath_; }

protected:
    WUsb() = default;

    // The class the port's device is found in, and what is appended to the found path to open it.
    virtual const GUID &interfaceClass() const = 0;
    virtual const char *pathSuffix() const { return ""; }

    // Each device-interface path of the class (at most 259 characters; longer ones are skipped) in
    // enumeration order, until accept answers true: that path is copied to out (kUsbPathSize bytes).
    static bool findInterface(char *out, const GUID &guid, const std::function<bool(const char *)> &accept);
    // Looks for the port's device path (devicePath_): by default the port number's interface of the class.
    virtual bool discover();

    // Finds the path once (1013), then opens path + suffix for reading and writing with the extra flags
    // (1014); logs "PTL:  '<path>'=<handle>".
    int openDevice(DWORD flags);
    void closeDevice();
    // The port's own release: its line, the drain, the close.
    int releaseLogged(const char *cls, int timeoutMs);
    // A synchronous device control request on the port's handle (overlapped-safe on threaded ports).
    bool control(DWORD code, const void *in, DWORD inSize, void *out, DWORD outSize);
    // force(0): clear the state word and wait for the busy bit to clear, 1000 polls 50 ms apart; 1103 when
    // a request fails or the bit stays set.
    int waitStateClear();

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    int portNo_ = -1;
    int subType_ = -1;
    char devicePath_[kUsbPathSize] = "";
    uint16_t vendorId_ = 0;
    uint16_t productId_ = 0;
};

} // namespace ptl
