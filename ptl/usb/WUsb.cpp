#include "usb/WUsb.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "core/Log.h"
#include "os/Syscalls.h"
#include "port/BlockingIo.h"
#include "usb/DeviceControl.h"
#include "usb/SetupApi.h"
#include "usb/UsbPath.h"

namespace ptl {

namespace {

// SP_DEVICE_INTERFACE_DETAIL_DATA_A's cbSize: the DWORD and one character of the path, whatever the
// structure's padding.
constexpr DWORD kDetailHeaderSize = sizeof(DWORD) + sizeof(CHAR);
// A detail larger than this is not a device path.
constexpr DWORD kDetailMaxSize = 0x10000;

} // namespace

WUsb::~WUsb() {
    WUsb::release(0);
}

int WUsb::getName(char *out) {
    if (out == nullptr)
        return kNullArgument;
    memcpy(out, devicePath_, strlen(devicePath_) + 1);
    return kOk;
}

int WUsb::getPortNo(int *no) {
    return readInto(portNo_, no);
}

// A path found for another index or filter names another device: it is looked for again at the next claim.
int WUsb::setPortNo(int no) {
    if (no != portNo_)
        devicePath_[0] = '\0';
    portNo_ = no;
    return kOk;
}

int WUsb::getSubType(int *v) {
    return readInto(subType_, v);
}

int WUsb::setSubType(int v) {
    subType_ = v;
    return kOk;
}

int WUsb::setVendorId(unsigned short id) {
    if (id != vendorId_)
        devicePath_[0] = '\0';
    vendorId_ = id;
    return kOk;
}

int WUsb::setProductId(unsigned short id) {
    if (id != productId_)
        devicePath_[0] = '\0';
    productId_ = id;
    return kOk;
}

DeviceHandle WUsb::getHandle() {
    return reinterpret_cast<DeviceHandle>(handle_.get());
}

bool WUsb::isClaimed() {
    return static_cast<bool>(handle_);
}

bool WUsb::isReady() {
    return true;
}

int WUsb::release(int timeoutMs) {
    if (isClaimed()) {
        debugLine("PTL: WUsb::release(%d)\n", timeoutMs);
        closeDevice();
    }
    return kOk;
}

int WUsb::send(const void *data, int len, int *written, int, int, int) {
    return blockingSend(handle_.get(), data, len, written);
}

int WUsb::recv(void *buffer, int size, int *got, int) {
    return blockingRecv(handle_.get(), buffer, size, got);
}

int wordState(WPort *port, unsigned *state) {
    if (!port->isClaimed())
        return kInvalidHandle;
    unsigned short word = 0;
    const int r = port->queryDeviceState(&word);
    if (r == kOk)
        *state = word;
    return r;
}

int WUsb::deviceIdText(char *text, int size, int *length) {
    if (devicePath_[0] == '\0')
        return kInvalidHandle;
    return copyWhole(devicePath_, text, size, length);
}

bool WUsb::findInterface(char *out, const GUID &guid, const std::function<bool(const char *)> &accept) {
    out[0] = '\0';
    setupapi::Session setup;
    HDEVINFO list = setup.getClassDevs(&guid, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (list == INVALID_HANDLE_VALUE || list == nullptr)
        return false;
    bool found = false;
    for (DWORD i = 0; !found; ++i) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!setup.enumInterfaces(list, &guid, i, &data))
            break;
        DWORD required = 0;
        setup.interfaceDetail(list, &data, nullptr, 0, &required);
        if (required <= kDetailHeaderSize || required > kDetailMaxSize)
            continue;
        std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[required]());
        if (!buffer)
            continue;
        auto *detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A *>(buffer.get());
        detail->cbSize = kDetailHeaderSize;
        if (!setup.interfaceDetail(list, &data, detail, required, nullptr))
            continue;
        const char *path = detail->DevicePath;
        const size_t len = boundedLength(path, required - sizeof(DWORD));
        if (len >= kUsbPathSize || !accept(path))
            continue;
        memcpy(out, path, len);
        out[len] = '\0';
        found = true;
    }
    setup.destroyList(list);
    return found;
}

bool WUsb::devicePath(char *out, const GUID &guid, int index) {
    debugLine("PTL: WUsb::devicePath(%d)\n", index);
    int matches = 0;
    return findInterface(out, guid, [&](const char *path) {
        return passesIdFilter(path, vendorId_, productId_) && matches++ == index;
    });
}

bool WUsb::discover() {
    return devicePath(devicePath_, interfaceClass(), portNo_);
}

int WUsb::openDevice(DWORD flags) {
    if (devicePath_[0] == '\0' && !discover())
        return kInvalidPortNo;
    char path[kUsbPathSize + 8];
    snprintf(path, sizeof path, "%s%s", devicePath_, pathSuffix());
    handle_.reset(os::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  flags | FILE_ATTRIBUTE_NORMAL, nullptr));
    debugLine("PTL:  '%s'=%08X\n", path, static_cast<unsigned>(reinterpret_cast<uintptr_t>(handle_.get())));
    return handle_ ? kOk : kCantClaim;
}

void WUsb::closeDevice() {
    handle_.reset();
}

int WUsb::releaseLogged(const char *cls, int timeoutMs) {
    if (!isClaimed())
        return kOk;
    debugLine("PTL: %s::release(%d)\n", cls, timeoutMs);
    const int r = waitSendEmpty(timeoutMs);
    closeDevice();
    return r;
}

bool WUsb::control(DWORD code, const void *in, DWORD inSize, void *out, DWORD outSize) {
    return deviceControl(handle_.get(), getIOMode() == 1, code, in, inSize, out, outSize);
}

int WUsb::waitStateClear() {
    for (int poll = 0; poll < kForcePolls; ++poll) {
        unsigned short state = 0;
        if (setDeviceState(0) != kOk || queryDeviceState(&state) != kOk)
            return kStateFailed;
        if ((state & kStateBusyBit) == 0)
            return kOk;
        os::Sleep(kForcePollMs);
    }
    return kStateFailed;
}

} // namespace ptl
