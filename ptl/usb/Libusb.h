// libusb 0.1 as libusb0.dll (libusb-win32) provides it: the structures packed to 1 byte with paths of 512
// characters, the functions cdecl. The library is loaded by name at the first call and kept for the
// process; without it (or without a function) a call does nothing and answers 0, or null.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ptl::libusb {

constexpr size_t kPathMax = 512;

#pragma pack(push, 1)
struct DeviceDescriptor {
    uint8_t bLength;
    uint8_t bDescriptorType;
    uint16_t bcdUSB;
    uint8_t bDeviceClass;
    uint8_t bDeviceSubClass;
    uint8_t bDeviceProtocol;
    uint8_t bMaxPacketSize0;
    uint16_t idVendor;
    uint16_t idProduct;
    uint16_t bcdDevice;
    uint8_t iManufacturer;
    uint8_t iProduct;
    uint8_t iSerialNumber;
    uint8_t bNumConfigurations;
};

struct Bus;

struct Device {
    Device *next;
    Device *prev;
    char filename[kPathMax];
    Bus *bus;
    DeviceDescriptor descriptor;
    void *config;
    void *dev;
    uint8_t devnum;
    uint8_t numChildren;
    Device **children;
};

struct Bus {
    Bus *next;
    Bus *prev;
    char dirname[kPathMax];
    Device *devices;
    uint32_t location;
    Device *rootDev;
};
#pragma pack(pop)

static_assert(sizeof(DeviceDescriptor) == 18);
static_assert(sizeof(void *) != 4 || (offsetof(Device, descriptor) == 524 && offsetof(Bus, devices) == 520),
              "libusb-win32's 32-bit layout");

// usb_dev_handle: the library's own.
struct DevHandle;

void init();
int findBusses();
int findDevices();
Bus *getBusses();
DevHandle *open(Device *device);
int close(DevHandle *handle);
int setConfiguration(DevHandle *handle, int configuration);
int claimInterface(DevHandle *handle, int number);
int releaseInterface(DevHandle *handle, int number);
int bulkWrite(DevHandle *handle, int endpoint, const void *bytes, int size, int timeoutMs);
int bulkRead(DevHandle *handle, int endpoint, void *bytes, int size, int timeoutMs);

} // namespace ptl::libusb
