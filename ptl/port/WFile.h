// A port that writes what it is sent to a file; the file is created (or truncated) at claim.
#pragma once

#include "os/Owned.h"
#include "port/WPort.h"

namespace ptl {

class WFile : public WPort {
public:
    // The name field holds at most this many characters; a longer path is refused, never cut.
    static constexpr size_t kNameMax = 259;

    ~WFile() override;
    int getIFType() override;
    int getIOMode() override;
    const char *getIFName() override;
    int getName(char *out) override;
    int setName(const char *name) override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    int recv(void *buffer, int size, int *got, int p4) override;
    DeviceHandle getHandle() override;
    bool isClaimed() override;
    bool isReady() override;

private:
    os::File file_;
    char name_[kNameMax + 1] = {};
    bool nameRefused_ = false;
};

} // namespace ptl
