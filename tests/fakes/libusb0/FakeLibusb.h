// The printer behind the fake libusb0.dll, reached through its export fake_libusb(). Bus 1 holds two
// foreign devices (the maker's id with another product, another vendor with product 0x0202), bus 2 the
// printers (device numbers 3, 4, ...). The bus list is rebuilt by each usb_find_devices.
#pragma once

struct FakeLibusb {
    int printers;
    int failAt;      // 1: usb_open fails, 2: usb_set_configuration, 3: usb_claim_interface
    int chunk;       // a bulk write takes at most this many bytes (0: all, -1: none)
    int writeMs;     // each bulk write takes this long
    char answer[64]; // the printer's bytes for the next bulk read; without them a read times out
    volatile int answerLen;
    char calls[512];               // "init busses devices open(3) config(1) claim(0) release(0) close "
    int writeArgs[2], readArgs[2]; // endpoint and time-out of the last bulk write / read
    volatile int writesStarted, writesEnded, received;
    char data[1 << 20];
};
