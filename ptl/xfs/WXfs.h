// The XFS printer port "XFS": a printer reached through the platform's CEN/XFS manager (MSXFS.DLL, loaded
// at run time) and its printer service under the logical name "NT_DOC". claim starts XFS and opens the
// service; docStart runs a fixed check-and-test sequence and prints what the service answers; docEnd
// unlocks; release closes. Every XFS call's result is printed to standard output.
//
// send hands the caller's bytes to the service as raw data (WFS_CMD_PTR_RAW_DATA) and reports them as
// written only when the service took them; without an open service it refuses them (1101).
#pragma once

#include "port/WPort.h"
#include "xfs/XfsTypes.h"

namespace ptl {

class WXfs : public WPort {
public:
    WXfs() = default;
    ~WXfs() override;

    int getIFType() override;
    int getIOMode() override;
    const char *getIFName() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    int docStart(int p1, int p2) override;
    int docEnd() override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    int recv(void *buffer, int size, int *got, int p4) override;
    DeviceHandle getHandle() override;
    bool isClaimed() override;
    bool isReady() override;

    xfs::HSERVICE service() const { return service_; }

private:
    // Undoes a start-up whose service never opened (release leaves those alone).
    void endStartUp();

    xfs::HAPP app_ = nullptr;
    xfs::HSERVICE service_ = 0;
    bool started_ = false;
    char media_[21] = "";
    char form_[21] = "";
    char field_[21] = "";
};

// What an XFS call answers when MSXFS.DLL or the function is missing.
constexpr LONG kXfsMissing = -999;
constexpr DWORD kXfsVersions = 0x00010002; // 1.00 to 2.00
constexpr DWORD kXfsOpenTimeoutMs = 8000;
constexpr DWORD kXfsPrintTimeoutMs = 12000;
constexpr DWORD kXfsRawTimeoutMs = 30000;

} // namespace ptl
