// The port interface: every connection kind derives from WPort and is reached only through these 110
// virtual operations, declared in their fixed slot order. The root answers what a kind does not support
// with -1 (kNotSupported), so any operation may be sent to any port.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "core/Results.h"
#include "ptl/ptl.h"

namespace ptl {

class WPort;

// Device handle as the ports keep it: an OS handle, a socket or a library handle; -1 while not claimed.
using DeviceHandle = intptr_t;
constexpr DeviceHandle kNoHandle = -1;

// Called by the engine threads when set: after each completed write and after each receive batch.
using SendHook = void (*)(WPort *port, int written, int u2, int u3);
using RecvHook = void (*)(WPort *port, int stored);

class WPort {
public:
    WPort() = default;
    WPort(const WPort &) = delete;
    WPort &operator=(const WPort &) = delete;

    /*  0 */ virtual ~WPort() = default;
    /*  1 */ virtual int getIFType() = 0;
    /*  2 */ virtual int getIOMode() = 0;
    /*  3 */ virtual const char *getIFName() = 0;
    /*  4 */ virtual int getName(char *out);
    /*  5 */ virtual int setName(const char *name);
    /*  6 */ virtual int getPortNo(int *no);
    /*  7 */ virtual int setPortNo(int no);
    /*  8 */ virtual int getSubType(int *v);
    /*  9 */ virtual int setSubType(int v);
    /* 10 */ virtual int claim(int timeoutMs) = 0;
    /* 11 */ virtual int release(int timeoutMs);
    /* 12 */ virtual int send(const void *data, int len, int *written, int p4, int p5, int p6) = 0;
    /* 13 */ virtual int recv(void *buffer, int size, int *got, int p4) = 0;
    /* 14 */ virtual int docStart(int p1, int p2);
    /* 15 */ virtual int docEnd();
    /* 16 */ virtual int pageStart(int p1, int p2);
    /* 17 */ virtual int pageEnd();
    /* 18 */ virtual DeviceHandle getHandle() = 0;
    /* 19 */ virtual bool isClaimed() = 0;
    /* 20 */ virtual bool isReady() = 0;
    /* 21 */ virtual int reset();
    /* 22 */ virtual int force(int on);
    /* 23 */ virtual int setBusy(int busy);
    /* 24 */ virtual int getSendCount(int *n);
    /* 25 */ virtual int getRecvCount(int *n);
    /* 26 */ virtual int clearSend();
    /* 27 */ virtual int clearRecv();
    /* 28 */ virtual int reserved28(int *out);
    /* 29 */ virtual int reserved29();
    /* 30 */ virtual int getSendQueueType(int *kind);
    /* 31 */ virtual int setSendQueueType(int kind);
    /* 32 */ virtual int getRecvQueueType(int *kind);
    /* 33 */ virtual int setRecvQueueType(int kind);
    /* 34 */ virtual int getSendQueueSize();
    /* 35 */ virtual int getRecvQueueSize();
    /* 36 */ virtual int getSendBlockSize();
    /* 37 */ virtual int getRecvBlockSize();
    /* 38 */ virtual bool setSendQueueSize(int bytes);
    /* 39 */ virtual bool setRecvQueueSize(int bytes);
    /* 40 */ virtual bool setSendBlockSize(int bytes);
    /* 41 */ virtual bool setRecvBlockSize(int bytes);
    /* 42 */ virtual int waitSendEmpty(int timeoutMs);
    /* 43 */ virtual int getCommTimeouts(COMMTIMEOUTS *t);
    /* 44 */ virtual int setCommTimeouts(const COMMTIMEOUTS *t);
    /* 45 */ virtual int getModemStatus(unsigned *status);
    /* 46 */ virtual int escapeFunction(int function);
    /* 47 */ virtual int getCommState(DCB *dcb);
    /* 48 */ virtual int setCommState(const DCB *dcb);
    /* 49 */ virtual int getBaudRate(int *rate);
    /* 50 */ virtual int setBaudRate(int rate);
    /* 51 */ virtual int getByteSize(int *bits);
    /* 52 */ virtual int setByteSize(int bits);
    /* 53 */ virtual int getParity(int *parity);
    /* 54 */ virtual int setParity(int parity);
    /* 55 */ virtual int getStopBits(int *stop);
    /* 56 */ virtual int setStopBits(int stop);
    /* 57 */ virtual int getFlow(int *flow);
    /* 58 */ virtual int setFlow(int flow);
    /* 59 */ virtual int getDeviceIdSize(int *size);
    /* 60 */ virtual int getDeviceId(char *buffer, int size);
    /* 61 */ virtual int reserved61(int a, int b);
    /* 62 */ virtual int queryParInfo(unsigned char *status);
    /* 63 */ virtual int setParInfo(unsigned char control);
    /* 64 */ virtual int setVendorId(unsigned short id);
    /* 65 */ virtual int setProductId(unsigned short id);
    /* 66 */ virtual int getLptStatus(unsigned char *status);
    /* 67 */ virtual int get1284Id(char *buffer, int size);
    /* 68 */ virtual int vendorSetCommand();
    /* 69 */ virtual int vendorGetCommand();
    /* 70 */ virtual int softReset();
    /* 71 */ virtual int queryDriver(unsigned *out);
    /* 72 */ virtual int queryDeviceWord(unsigned short *out);
    /* 73 */ virtual int queryDeviceState(unsigned short *state);
    /* 74 */ virtual int setDeviceState(unsigned short value);
    /* 75 */ virtual int reserved75(int a);
    /* 76 */ virtual int setAddress(unsigned long address);
    /* 77 */ virtual int netGetInfo(char *text);
    /* 78 */ virtual int netGetId(char *text);
    /* 79 */ virtual int netCheck(int a);
    /* 80 */ virtual int startDocPrinter(int level, const void *docInfo);
    /* 81 */ virtual int startPagePrinter();
    /* 82 */ virtual int endPagePrinter();
    /* 83 */ virtual int endDocPrinter();
    /* 84 */ virtual int getJob(int jobId, int level, void *buffer, int size, unsigned *needed);
    /* 85 */ virtual int setJob(int jobId, int level, const void *buffer, int command);
    /* 86 */ virtual int getPrinter(int level, void *buffer, int size, unsigned *needed);
    /* 87 */ virtual int setPrinter(int level, const void *buffer, int command);
    /* 88 */ virtual int reserved88(int a);
    /* 89 */ virtual int reserved89(int a);
    /* 90 */ virtual int reserved90();
    /* 91 */ virtual int reserved91();
    /* 92 */ virtual int reserved92(int a);
    /* 93 */ virtual int reserved93(int a, int b);
    /* 94 */ virtual int reserved94();
    /* 95 */ virtual int reserved95();
    /* 96 */ virtual int deviceStatus(int a, void *buffer, int size);
    /* 97 */ virtual int getEnvVars(void *buffer, int size);
    /* 98 */ virtual int getEnvVarsEx(int a, int b);
    /* 99 */ virtual int getCodePage(int a);
    /*100 */ virtual int setCodePage(int a, int b);
    /*101 */ virtual int reserved101(int a, int b, int c);
    /*102 */ virtual int reserved102(int a, int b);
    /*103 */ virtual int reserved103(int a, int b);
    /*104 */ virtual int reserved104();
    /*105 */ virtual int lock(int timeout);
    /*106 */ virtual int unlock();
    /*107 */ virtual int ioctl(int code, void *data, int size, int p4, int p5, int p6);
    /*108 */ virtual int registerCallback(int kind, void *callback, void *context);
    /*109 */ virtual int unregisterCallback(int kind, void *callback, void *context);

    // The two notification hooks; null after construction. The engine threads call them when set.
    SendHook sendHook = nullptr;
    RecvHook recvHook = nullptr;

    // Not slots: what the public receive, ready, address, device-id and state calls ask a kind. Each
    // answers -1 where the kind has nothing real to tell, never a value it did not get from the device.
    // recv bounded in time: waits at most timeoutMs for the first byte (0: only what has arrived), 1019
    // when none came. The root's answers -1: a kind whose read the port cannot bound receives nothing here.
    virtual int recvWithin(void *buffer, int size, int *got, int timeoutMs);
    // *ready 1 or 0 as the device itself reports it.
    virtual int askReady(int *ready);
    // The IPv4 address the port connects to, network byte order.
    virtual int getAddress(uint32_t *address);
    // The identification text: *length its length; text gets it with its NUL when it fits in size bytes,
    // otherwise 1220 and an empty text.
    virtual int deviceIdText(char *text, int size, int *length);
    // The kind's raw device state word.
    virtual int deviceState(unsigned *state);

protected:
    // Not a slot. A write failure that the port's own thread met, as a result code (0: none); it sets the
    // thread's last error to the system error. waitSendEmpty gives up on it at once: a queue that cannot
    // move is not waited for.
    virtual int sendFailure() { return kOk; }
    // Not a slot. An auto-reset event the port sets when its send queue becomes empty (from the first call
    // on: waitSendEmpty asks for it before it first looks at the count), so that
    // waitSendEmpty wakes at once instead of at the end of its poll period; null: the wait only polls.
    virtual HANDLE sendEmptySignal() { return nullptr; }
    // The checks a device's own recvWithin starts with: the result to answer at once (a null count, a port
    // not claimed, an empty buffer), or nothing when the read is to go on. *got is 0 from here on.
    std::optional<int> refuseRecvWithin(int *got, int size);
};

// Copies text with its NUL when it fits in size bytes, else leaves an empty text (where size allows) and
// answers 1220: a text cut short could name another device. *length, when given, gets the text's length
// either way, so that a caller learns the room it needs.
int copyWhole(const char *text, char *out, int size, int *length = nullptr);

// A stored setting for a getter: *out gets value, or 1030 for a null pointer.
inline int readInto(int value, int *out) {
    if (out == nullptr)
        return kNullArgument;
    *out = value;
    return kOk;
}

// The longest waitSendEmpty waits between two looks at the send count.
constexpr DWORD kSendPollMs = 50;

// How long a printer may take no data at all (see the public header).
constexpr DWORD kNoProgressMs = PTL_NO_PROGRESS_MS;

} // namespace ptl
