/*
 * PTL: one library for every way a receipt, kiosk, ticket or airline printer can be attached.
 *
 * A port is opened by a short target text (COM1, LPT1, VQUSB0, VQNET@192.0.2.7, SPOOLER, a file path...)
 * and from then on named by an integer handle. Every call that takes a handle returns a result code:
 *   0      success
 *   -1     the port kind does not support the operation ("Not supported function."); not an error
 *   > 0    a failure; PtlErrorText gives its text
 * Calls with a handle that is not open answer 1001 ("Invalid handle or not claimed."), except
 * PtlGetIFType (3) and PtlGetIFName (an empty text).
 *
 * The functions are used from one thread at a time. They throw nothing. All use the __stdcall calling
 * convention and are exported from ptl.dll under their plain names.
 *
 * A typical run: PtlStartup(NULL); h = PtlOpenByName("COM2", 0); PtlCommParams(h, 9600, 8, 0, 0, 2);
 * PtlClaim(h, 0); PtlSend(...) ...; PtlRelease(h, 5000); PtlClose(h); PtlCleanup();
 */
#ifndef PTL_PTL_H
#define PTL_PTL_H

#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define PTLAPI __stdcall
#else
#define PTLAPI
#endif

/* Modes of PtlOpenByName. */
#define PTL_MODE_SYNC 0     /* calls block on the device */
#define PTL_MODE_THREADED 1 /* send queues and returns; threads do the device I/O */
#define PTL_MODE_EVENT 2    /* event-driven receive */
#define PTL_MODE_WINDOW 3   /* network only: notifications through the library's hidden window */

/* Bits of the interface type (PtlGetIFType). */
#define PTL_IF_NETWORK 0x80000000u /* the target carries "@" and an IPv4 address */
#define PTL_IF_SERIAL 0x40000000u  /* baud rate, data bits, parity, stop bits and flow control apply */
#define PTL_IF_FILE 3              /* a target text that names no interface: a file path */

/* The maker's USB devices. The targets VQUSB and XDUSB open the first (or n-th) device interface of the
 * maker's USB printer driver, found by this device-interface class GUID,
 * {5C3E7A91-2F0B-4D6E-8A17-B94C06D3E2F5}; a substitute driver must register its devices under it. The
 * maker's USB vendor id is the one the maker-specific USB ports look for. USBPRN, VQPRN and XDPRN use the
 * platform's USB printing class {28D78FAD-5A12-11D1-AE5B-0000F803A8C2}. */
#define PTL_MAKER_USB_GUID_DATA1 0x5C3E7A91u
#define PTL_MAKER_USB_GUID_DATA2 0x2F0Bu
#define PTL_MAKER_USB_GUID_DATA3 0x4D6Eu
#define PTL_MAKER_USB_GUID_DATA4                                                                             \
    { 0x8A, 0x17, 0xB9, 0x4C, 0x06, 0xD3, 0xE2, 0xF5 }
#define PTL_MAKER_USB_VENDOR_ID 0x4B56u

/* How long a printer may take no data at all, in milliseconds: long enough to change a paper roll. rawpush
 * ends its run after this long without progress, and a synchronous network send returns (with
 * WSAETIMEDOUT) within it. */
#define PTL_NO_PROGRESS_MS 180000

/* Library version: 0x20100610. */
int PTLAPI PtlVersion(void);

/* Starts the library: opens the log file when the registry asks for one (HKLM "Software\KAVRO\LIBPTL",
 * values "Log" and "LogPath"), starts Windows Sockets 2.2 and creates the hidden notification window on
 * the calling thread. instance may be NULL. Returns 0, 1020 (window), 1021 (sockets) or 1022 (log file);
 * a failed start has already cleaned up. */
int PTLAPI PtlStartup(void *instance);
/* Undoes PtlStartup; always 0. Open handles stay open. */
int PTLAPI PtlCleanup(void);

/* Opens a port for a target text; mode is one of PTL_MODE_*. Returns the handle, or -1 when the target's
 * kind has no port, does not offer the mode, or its network address is rejected. A text that names no
 * interface opens a file port writing to that path. The port is not claimed yet. */
int PTLAPI PtlOpenByName(const char *target, int mode);
/* Destroys the port (releasing the device without a drain time if it is still claimed). 0, or 1001. */
int PTLAPI PtlClose(int handle);

/* The port's interface name ("COM", "LPT", "FILE", "VQNET"...); "" for an unknown handle. */
const char *PTLAPI PtlGetIFName(int handle);
/* The port's interface type code; 3 for an unknown handle. */
int PTLAPI PtlGetIFType(int handle);
/* The port number (COM3: 3; network ports: the TCP port); *no = -1 where the kind has none. */
int PTLAPI PtlGetPortNo(int handle, int *no);

/* Opens the device. Claiming twice reopens it. A failed claim leaves nothing open. */
int PTLAPI PtlClaim(int handle, int timeoutMs);
/* Closes the device after waiting until queued data stops draining for longer than timeoutMs
 * (0: no wait, queued data is dropped). 0 when not claimed. */
int PTLAPI PtlRelease(int handle, int timeoutMs);

/* Document and page brackets; -1 on kinds without documents (serial, parallel, network, files).
 * SPOOLER: a document is a spooler job; p1 is the level of the document information p2 points to
 * (p2 0: a DOC_INFO_1 named "LIBPTL" with the printer's default data type); 10000 when refused. */
int PTLAPI PtlDocStart(int handle, int p1, int p2);
int PTLAPI PtlDocEnd(int handle);
int PTLAPI PtlPageStart(int handle, int p1, int p2);
int PTLAPI PtlPageEnd(int handle);

/* Sends len bytes; *written receives the count taken (threaded ports queue them). p4..p6 are passed to
 * the port unchanged (0 unless a port kind documents them). With data tracing on, the bytes taken are
 * written to the log. */
int PTLAPI PtlSend(int handle, const void *data, int len, int *written, int p4, int p5, int p6);
/* on = 1: send regardless of flow control (where the kind supports it); 0: normal flow-controlled sending. */
int PTLAPI PtlForce(int handle, int on);

/* Serial parameters (see PtlParse... for the codes). Setters work on stored values while the port is not
 * claimed and on the device once it is. */
int PTLAPI PtlGetBaudRate(int handle, int *rate);
int PTLAPI PtlSetBaudRate(int handle, int rate);
int PTLAPI PtlGetByteSize(int handle, int *bits);
int PTLAPI PtlSetByteSize(int handle, int bits);
int PTLAPI PtlGetParity(int handle, int *parity);
int PTLAPI PtlSetParity(int handle, int parity);
int PTLAPI PtlGetStopBits(int handle, int *stop);
int PTLAPI PtlSetStopBits(int handle, int stop);
int PTLAPI PtlGetFlow(int handle, int *flow);
int PTLAPI PtlSetFlow(int handle, int flow);
/* Applies, in this order, each of the five values that is not -1; returns the first result above 0,
 * otherwise 0 (a setter's -1 neither stops it nor is returned). */
int PTLAPI PtlCommParams(int handle, int rate, int bits, int parity, int stop, int flow);

/* The default printer's name, looked up the way the running system supports (rawpush -l shows it): 1 when
 * it was copied to name, with *size set to its length plus 1; 0 otherwise (when it does not fit, *size is
 * the room it needs). */
int PTLAPI PtlGetDefaultPrinter(char *name, unsigned *size);

/* The text of a result code; "Unknown error." for codes without one. */
const char *PTLAPI PtlErrorText(int code);
/* For serial-parameter targets, prints " Target = COM3" and the five settings to out; nothing otherwise. */
void PTLAPI PtlPrintSettings(FILE *out, int handle);

/* Command-line texts to codes; -1 for a NULL or unaccepted text.
 * Baud rate: the rate or its short form (96 -> 9600, 192 -> 19200, 1152 -> 115200...).
 * Byte size: 4..8.  Parity: first letter N O E M S -> 0..4.  Stop bits: 1 -> 0, 15 or 5 -> 1, 2 -> 2.
 * Flow: first letter N D R X W -> 0 none, 1 DTR/DSR, 2 RTS/CTS, 3 XON/XOFF, 4 DTR/DSR+RTS/CTS. */
int PTLAPI PtlParseBaudRate(const char *text);
int PTLAPI PtlParseByteSize(const char *text);
int PTLAPI PtlParseParity(const char *text);
int PTLAPI PtlParseStopBits(const char *text);
int PTLAPI PtlParseFlow(const char *text);

/* Codes to display names ("9600", "8", "NONE", "1.5", "RTS/CTS"); "" for an unknown code. */
const char *PTLAPI PtlBaudRateName(int rate);
const char *PTLAPI PtlByteSizeName(int bits);
const char *PTLAPI PtlParityName(int parity);
const char *PTLAPI PtlStopBitsName(int stop);
const char *PTLAPI PtlFlowName(int flow);

/* The printer's answers, status and identity.
 * Every call below answers -1 where the port kind has nothing real to tell (never a made-up value), 1001 for
 * an unknown handle and where the device must be claimed first, and 1030 for a null pointer argument.
 * A text never arrives cut short: when it does not fit in size bytes (NUL included) the call answers 1220
 * and leaves an empty text. 1024 bytes hold every name, address and identification the library keeps.
 * README.md ("Talking to the printer") has the answers in one table, one row per target. */

/* Reads what the printer sent back: up to size bytes into buffer, *got the count. Waits at most timeoutMs
 * (unsigned) for the first byte, 0: only what has already arrived; 1019 with *got 0 when nothing came.
 * Threaded and event-driven ports (modes 1, 2) read their receive queue and wait on its arrival signal.
 * Synchronous COM, LPT, VQLPT and AEA ports set the device's own read time-outs for the one read (the
 * caller's time-outs come back after it); synchronous network ports wait on the socket (a closed
 * connection answers 0 with *got 0); synchronous LIBUSB passes the time-out to the library's bulk read.
 * -1 on every other synchronous kind: their read has no time-out the library can set (USB driver ports,
 * HID, TULIP, IBMDLL, SPOOLER, the vendor libraries; open them threaded where the kind has mode 1), and on
 * kinds that receive nothing (file, console, dump, XFS). */
int PTLAPI PtlRecv(int handle, void *buffer, int size, int *got, int timeoutMs);
/* *ready 1 when the device reports that it can take data now, 0 when it reports that it cannot (-1 with
 * the result -1).
 * COM and AEA ports: the input line of the configured handshake (DSR for DTR/DSR, CTS for RTS/CTS, the
 * XOFF state for XON/XOFF); -1 when no handshake is configured. LPT and VQLPT: the driver's error bits.
 * -1 on every other kind: they cannot ask their device. 1103 when the device's state cannot be read. */
int PTLAPI PtlIsReady(int handle, int *ready);
/* Resets the printer: LPT and VQLPT (the init request), VQUSB/XDUSB and VQPRN/XDPRN (the driver's reset),
 * VQNET (over the control channel) and the status-monitor ports (TULIP, VQOLM and relatives); -1
 * elsewhere. */
int PTLAPI PtlReset(int handle);
/* Bytes still queued to send / received and not yet read: threaded and event-driven ports (1011 while not
 * claimed: there is no queue yet); -1 with *count 0 on synchronous kinds, which queue nothing. */
int PTLAPI PtlGetSendCount(int handle, int *count);
int PTLAPI PtlGetRecvCount(int handle, int *count);
/* Empty the send / receive queue: threaded and event-driven ports; COM and AEA also purge the device's
 * buffers (1104 when refused), synchronous ones too. -1 elsewhere. */
int PTLAPI PtlClearSend(int handle);
int PTLAPI PtlClearRecv(int handle);
/* How the port does its I/O: PTL_MODE_SYNC, PTL_MODE_THREADED or PTL_MODE_EVENT. The window-notified
 * network port moves its data on the caller's thread and answers PTL_MODE_SYNC, as do the kinds that have
 * one class for every mode. */
int PTLAPI PtlGetIOMode(int handle, int *mode);
/* The name the port uses: the device path of USB and HID ports (known once a claim found it), the printer
 * or library target of SPOOLER and the vendor-library ports, the status-monitor port's path, a file port's
 * path; -1 elsewhere. PtlSetName: the same kinds except USB and HID. */
int PTLAPI PtlGetName(int handle, char *name, int size);
int PTLAPI PtlSetName(int handle, const char *name);
/* Sets the port number; PtlGetPortNo reads it. COM, LPT, VQLPT, AEA: 1..32, else 1013 (the number is kept,
 * so that a claim refuses it), 10000 while claimed; network ports: the TCP port; USB: the device index. */
int PTLAPI PtlSetPortNo(int handle, int no);
/* The dotted IPv4 address of network ports and of a status-monitor port that was given one; -1 elsewhere.
 * PtlSetAddress takes the same text (1028 for a text that is no address); it applies at the next claim. */
int PTLAPI PtlGetAddress(int handle, char *text, int size);
int PTLAPI PtlSetAddress(int handle, const char *address);
/* The sub-type: USB ports (0 VQ, 1 XD), status-monitor ports (the product line), AEA (the framing); -1
 * with *subType -1 elsewhere. */
int PTLAPI PtlGetSubType(int handle, int *subType);
int PTLAPI PtlSetSubType(int handle, int subType);
/* The device's identification text, *length its length without the NUL (also when it did not fit: the
 * room needed is *length + 1). LPT and VQLPT: the IEEE 1284 device id from the parallel driver; USBPRN and
 * VQPRN/XDPRN: the IEEE 1284 device id from the printing class, without its two length bytes; VQNET: the
 * printer's identification text over the control channel; VQUSB/XDUSB and HID ports: the device path. The
 * port must be claimed (USB: have been claimed). -1 elsewhere. */
int PTLAPI PtlGetDeviceId(int handle, char *buffer, int size, int *length);
/* The raw device state word of a claimed port. VQUSB/XDUSB and VQPRN/XDPRN: the driver's 16-bit state
 * word (bit 0x0002: busy); USBPRN: the printing class's one-byte port status; LPT and VQLPT: the parallel
 * driver's status byte; COM, AEA and IBMFP: the modem status bits (MS_CTS_ON 0x10, MS_DSR_ON 0x20,
 * MS_RING_ON 0x40, MS_RLSD_ON 0x80). -1 elsewhere. */
int PTLAPI PtlGetDeviceState(int handle, unsigned *state);

#ifdef __cplusplus
}
#endif

#endif /* PTL_PTL_H */
