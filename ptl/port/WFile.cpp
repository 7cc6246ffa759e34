#include "port/WFile.h"

#include <cstring>

#include "core/IfTypes.h"
#include "core/Log.h"
#include "os/Syscalls.h"

namespace ptl {

WFile::~WFile() {
    WFile::release(0);
}
int WFile::getIFType() {
    return kIfFile;
}
int WFile::getIOMode() {
    return 0;
}
const char *WFile::getIFName() {
    return "FILE";
}

int WFile::getName(char *out) {
    if (out != nullptr)
        memcpy(out, name_, strlen(name_) + 1);
    return kOk;
}

// A path that does not fit is refused rather than cut: writing under a shortened name would put the job
// into a different file. The claim then fails.
int WFile::setName(const char *name) {
    nameRefused_ = copyWhole(name != nullptr ? name : "", name_, sizeof name_) != kOk;
    return nameRefused_ ? kCantOpen : kOk;
}

int WFile::claim(int) {
    debugLine("PTL: WFile::claim(%s)\n", name_);
    release(0);
    if (nameRefused_ || name_[0] == '\0')
        return kCantClaim;
    file_.reset(
        os::CreateFileA(name_, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file_ ? kOk : kCantClaim;
}

int WFile::release(int timeoutMs) {
    if (!file_)
        return kOk;
    debugLine("PTL: WFile::release(%d)\n", timeoutMs);
    file_.reset();
    return kOk;
}

int WFile::send(const void *data, int len, int *written, int, int, int) {
    if (written != nullptr)
        *written = 0;
    if (!file_)
        return kWriteFailed;
    DWORD n = 0;
    if (!os::WriteFile(file_.get(), data, static_cast<DWORD>(len < 0 ? 0 : len), &n, nullptr))
        return kWriteFailed;
    if (written != nullptr)
        *written = static_cast<int>(n);
    return kOk;
}

int WFile::recv(void *, int, int *got, int) {
    if (got != nullptr)
        *got = 0;
    return kNotSupported;
}

DeviceHandle WFile::getHandle() {
    return reinterpret_cast<DeviceHandle>(file_.get());
}
bool WFile::isClaimed() {
    return static_cast<bool>(file_);
}
bool WFile::isReady() {
    return true;
}

} // namespace ptl
