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
 * Result codes. PtlErrorText has a text for these; every other code, 0 included, gives "Unknown error.":
 *   code          text                               arises when
 *   -1            "Not supported function."          the port kind has no such operation
 *   1001          "Invalid handle or not claimed."   the handle is not open (or the port not claimed)
 *   1013          "Invalid port number."             claim: the number is out of the kind's range (COM, LPT,
 *                                                    VQLPT 1-32; OLMPRT 1-999; TCP port 0), or no USB
 *                                                    device has that number
 *   1014          "Can't claim."                     claim: the device, file, printer or library could not
 *                                                    be opened (a missing outside library included)
 *   1018          "Can't connect."                   claim: a TCP connection or the status-monitor service
 *                                                    refused
 *   1028          "Invalid address."                 claim: a network port without an accepted IPv4 address
 *   1029          "Can't open."                      claim of a status-monitor port (OLMPRT): the service
 *                                                    refused the receive callback
 *   1106          "Lock failed."                     claim of OLMPRT, or KVBSLM's document start: the
 *                                                    library's lock failed
 *   1107          "Unlock failed."                   KVBSLM's document end: the library's unlock failed
 *   1210..1215    "Invalid serial parameter."        1210 baud rate, 1211 data bits, 1212 parity, 1213 stop
 *                                                    bits, 1214 flow control not accepted; 1215 the serial
 *                                                    state as a whole could not be read or applied
 * Codes without a text of their own ("Unknown error."):
 *   1004   a network printer's control reply did not have the expected form
 *   1011   a threaded port's send or receive queue could not be made, or is absent
 *   1015   a port thread could not be started
 *   1016   a threaded port's events could not be made
 *   1017   a socket could not be made
 *   1019   time-out: no progress within the given time (release drain, network control replies, force)
 *   1020   PtlStartup: the notification window could not be made
 *   1021   PtlStartup: Windows Sockets 2.2 could not be started
 *   1022   PtlStartup: the log file could not be opened
 *   1023   the network control exchange was cancelled (the port was released, or the socket closed)
 *   1025   a network control request could not be sent
 *   1026   a network control reply could not be received
 *   1027   socket event selection failed
 *   1030   a required out-argument was NULL
 *   1040   a USB printing-class device request failed
 *   1041   the IBM serial link failed
 *   1101   writing to the device failed (also: a send on a port that is not claimed, or whose thread failed)
 *   1102   reading from the device failed
 *   1103   applying a serial state or a forced mode failed
 *   1104   purging a buffer or queue failed
 *   1105   resetting the device failed
 *   1157   (the status kvBSescM.dll calls yield when the library is missing; KVBSDH's claim answers 1014)
 *   1220   the data are too long for one HID output report
 *   1999   KVBSDH's document start or end: the library's lock or unlock failed
 *   9999   (the status IBM printer library calls yield when WNTSFPRT.DLL or the function is missing:
 *          IBMDLL's claim answers 1014, its other calls 19999 = 10000 + 9999)
 *   10000  a system call of the port failed (also: the spooler refused a document or page; EBAPI.DLL is
 *          missing or did not start); 10000 + n: the IBM printer library answered its own code n
 *
 * The functions are used from one thread at a time. They throw nothing. All use the __stdcall calling
 * convention and are exported from ptl.dll under their plain names. ptl.dll uses the C runtime msvcrt.dll:
 * a FILE * given to it must come from that runtime.
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

/* Modes of PtlOpenByName. Which kinds offer which mode: README.md, "Targets". Kinds with a single variant
 * ignore the mode; the others refuse a mode they do not offer (PtlOpenByName answers -1). */
#define PTL_MODE_SYNC 0     /* calls block on the device */
#define PTL_MODE_THREADED 1 /* send queues and returns; threads do the device I/O (rawpush -a) */
#define PTL_MODE_EVENT 2    /* event-driven receive (COM, VQNET, plain TCP) */
#define PTL_MODE_WINDOW 3   /* plain TCP only: notifications through the library's hidden window */

/* Bits of the interface type (PtlGetIFType); the low bits number the kind (0x12 LPT, 0x14 VQUSB and
 * LIBUSB, 0x33 SPOOLER...; the list is in README.md). */
#define PTL_IF_NETWORK 0x80000000u /* the target carries "@" and an IPv4 address */
#define PTL_IF_SERIAL 0x40000000u  /* baud rate, data bits, parity, stop bits and flow control apply */
#define PTL_IF_FILE 3              /* a target text that names no interface: a file path */

/* The maker's USB devices. The targets VQUSB and XDUSB open the first (or n-th) device interface of the
 * maker's USB printer driver, found by this device-interface class GUID,
 * {5C3E7A91-2F0B-4D6E-8A17-B94C06D3E2F5}; a substitute driver must register its devices under it. The
 * maker's USB vendor id is the one the maker-specific USB ports (ALD, LIBUSB) look for. USBPRN, VQPRN and
 * XDPRN use the platform's USB printing class {28D78FAD-5A12-11D1-AE5B-0000F803A8C2}. */
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

/* The library version, 0x20100610. Needs no start. */
int PTLAPI PtlVersion(void);

/* Starts the library: opens the log file when the registry asks for one (HKLM "Software\KAVRO\LIBPTL",
 * DWORD "Log": 0x01 time stamps, 0x02 handles, 0x10 call lines, 0x20 data trace; string "LogPath",
 * default the Windows folder's LIBPTL.LOG), starts Windows Sockets 2.2 and creates the hidden
 * notification window on the calling thread (window-notified ports get their notifications only while
 * that thread pumps messages).
 *   instance  the caller's module instance for the window class; may be NULL.
 * Returns 0; 1022 when the log file cannot be opened, 1021 when Windows Sockets 2.2 is not available,
 * 1020 when the window class or window cannot be made (also for a second start without PtlCleanup). A
 * failed start has already cleaned up: the library is stopped. */
int PTLAPI PtlStartup(void *instance);
/* Undoes PtlStartup: destroys the window, stops Windows Sockets, closes the log file. Always 0. Open
 * handles stay open (close them first). */
int PTLAPI PtlCleanup(void);

/* Makes a port for a target text; the device is not opened until PtlClaim.
 *   target  an interface name with an optional number or "@" and IPv4 address ("COM3", "VQNET@10.0.0.5",
 *           "VQNET9101@10.0.0.5", "SPOOLER2"), letter case ignored; a text that names no interface (NULL
 *           is taken as "") is the path of a file to write.
 *   mode    one of PTL_MODE_*.
 * Returns the handle (never -1), or -1 when the kind does not offer the mode, memory runs out, or a network
 * name is followed by "@" and a text that is not a dotted IPv4 address ("VQNET@999.1.1.1"). A well-formed
 * address that is refused (first number 0 or 255, 0.0.0.0, 255.255.255.255) makes the whole text a file path.
 */
int PTLAPI PtlOpenByName(const char *target, int mode);
/* Destroys the port: a claimed port is released first, without a drain time (queued data are dropped).
 * Returns 0, or 1001 for a handle that is not open. The handle may later be given to another port. */
int PTLAPI PtlClose(int handle);

/* The port's interface name, a static text: "COM", "LPT" (also for PRN), "FILE", "VQNET", "VQUSB" (also
 * for XDUSB), "AEA" (ULTRA, RESA, SITA), "EBAPI" (JOBSPOOL, REMOTE, D4CTRL), "OLMPRT"...; "" for a
 * handle that is not open. */
const char *PTLAPI PtlGetIFName(int handle);
/* The port's interface type code (PTL_IF_* bits and the kind's number); 3 for a handle that is not open. */
int PTLAPI PtlGetIFType(int handle);
/* The port number: COM3 3, network ports the TCP port, USB ports the device number, SPOOLER2 2.
 *   no  receives the number; -1 where the kind has none.
 * Returns 0; -1 (with *no = -1) for kinds without a number (CON, DUMP, files, HID, XFS...); 1030 when no
 * is NULL on a kind with a number; 1001 for a handle that is not open. */
int PTLAPI PtlGetPortNo(int handle, int *no);

/* Opens the device (file, port, connection, library session) and, for threaded ports, starts the port's
 * threads. Claiming twice reopens it. A failed claim leaves nothing open.
 *   timeoutMs  passed to the libraries that take one (IBMDLL, HPRDH, the OLMPRT service's lock); other
 *              kinds ignore it.
 * Returns 0 or, for example, 1013 (number out of range, no such USB device), 1014 (device, file, printer
 * or library not available), 1018 (connection refused), 1028 (no accepted network address), 1029 and
 * 1106 (OLMPRT), 1011/1015/1016 (threaded ports' resources), 1017, 1027, 1103 or 1215 (serial state),
 * 10000 (a system call; EBAPI.DLL missing); 1001 for a handle that is not open. */
int PTLAPI PtlClaim(int handle, int timeoutMs);
/* Closes the device. A threaded port first waits for its queue to drain, as long as the queue keeps
 * shrinking: it gives up once the queue has not shrunk for longer than timeoutMs.
 *   timeoutMs  the longest time without progress, in milliseconds; 0: no wait, queued data are dropped.
 *              Synchronous ports have nothing queued and ignore it (a network port closes gracefully when
 *              it is not 0).
 * Returns 0 (also when the port is not claimed); 1019 when queued data did not drain, or the send
 * thread's failure (for example 1101) when data were lost on the way; the device is closed in every case.
 * 1001 for a handle that is not open. */
int PTLAPI PtlRelease(int handle, int timeoutMs);

/* Starts a document. -1 on kinds without documents (serial, parallel, network, USB, files...).
 * SPOOLER: a document is a spooler job.
 *   p1  the level of the document information p2 points to (1: DOC_INFO_1).
 *   p2  the address of that information as an int; 0: a DOC_INFO_1 named "LIBPTL" with the printer's
 *       default data type (give data type "XPS_PASS" for a printer whose driver takes only XPS).
 *   Returns 0, or 10000 when the spooler refuses the job.
 * XFS: prints the service's capabilities, media and forms to the standard output and locks the service.
 * KVBSDH, KVBSLM: lock the printer through the library (1999 and 1106 when refused).
 * 1001 for a handle that is not open. */
int PTLAPI PtlDocStart(int handle, int p1, int p2);
/* Ends the document. SPOOLER: hands the job to the spooler; 10000 when the spooler refuses it (the job did
 * not reach the printer). KVBSDH, KVBSLM: unlock the printer (1999 and 1107 when refused). -1 on kinds
 * without documents; 1001 for a handle that is not open. */
int PTLAPI PtlDocEnd(int handle);
/* Starts a page inside the document; p1 and p2 are unused (pass 0). SPOOLER: 0, or 10000 when refused.
 * -1 on kinds without pages; 1001 for a handle that is not open. */
int PTLAPI PtlPageStart(int handle, int p1, int p2);
/* Ends the page. SPOOLER: 0, or 10000 when refused. -1 on kinds without pages; 1001 for a handle that is
 * not open. */
int PTLAPI PtlPageEnd(int handle);

/* Sends bytes to the claimed device. Synchronous ports write them before returning (a serial write
 * returns within 2 s, a network send within PTL_NO_PROGRESS_MS); threaded ports queue them and return.
 *   data     the bytes.
 *   len      how many.
 *   written  receives the count taken, which may be less than len: a full queue takes 0, and the caller
 *            offers the rest again. Set to 0 when the send fails.
 *   p4..p6   passed to the port unchanged; pass 0.
 * Returns 0; 1101 when writing fails or the port is not claimed (or a threaded port's thread has failed);
 * 1030 when written is NULL; 1220 for data longer than a HID output report can frame; 10000 + n for the
 * IBM printer library's code n; -1 on kinds that take no data; 1001 for a handle that is not open
 * (*written is then left as it was). With data tracing on, the bytes taken are written to the log. */
int PTLAPI PtlSend(int handle, const void *data, int len, int *written, int p4, int p5, int p6);
/* Switches forced sending.
 *   on  1: send regardless of flow control or the printer's state (where the kind supports it); 0: normal
 *       flow-controlled sending.
 * Returns 0; -1 on kinds without it (files, console, spooler...); COM: 1103 when the serial state cannot
 * be applied; VQNET: the control channel's result (1019 when the printer does not reach the state, 1004
 * for a malformed reply, 1023, 1025, 1026); 1001 for a handle that is not open. */
int PTLAPI PtlForce(int handle, int on);

/* Serial parameters of the kinds with PTL_IF_SERIAL (COM, IBMFP, ULTRA/RESA/SITA). A new port has 9600
 * baud, 8 data bits, no parity (0), 1 stop bit (0) and no flow control (0). Setters store the value while
 * the port is not claimed and apply it to the device once it is.
 * Getters: the value goes to the out-argument; 0, 1030 when it is NULL, -1 on kinds without serial
 * parameters (the out-argument untouched), 1001 for a handle that is not open.
 * Setters: 0; the parameter's own code when the value is not accepted or the device refuses it (1210 baud
 * rate, 1211 data bits, 1212 parity, 1213 stop bits, 1214 flow); -1 on kinds without serial parameters;
 * 1001 for a handle that is not open. */
/* Baud rate: the rate itself, one of 110 300 600 1200 2400 4800 9600 14400 19200 38400 56000 57600 115200
 * 128000 256000. */
int PTLAPI PtlGetBaudRate(int handle, int *rate);
int PTLAPI PtlSetBaudRate(int handle, int rate);
/* Data bits: 4 to 8. */
int PTLAPI PtlGetByteSize(int handle, int *bits);
int PTLAPI PtlSetByteSize(int handle, int bits);
/* Parity: 0 none, 1 odd, 2 even, 3 mark, 4 space. */
int PTLAPI PtlGetParity(int handle, int *parity);
int PTLAPI PtlSetParity(int handle, int parity);
/* Stop bits: 0 one, 1 one and a half, 2 two. */
int PTLAPI PtlGetStopBits(int handle, int *stop);
int PTLAPI PtlSetStopBits(int handle, int stop);
/* Flow control: 0 none, 1 DTR/DSR, 2 RTS/CTS, 3 XON/XOFF, 4 DTR/DSR and RTS/CTS. */
int PTLAPI PtlGetFlow(int handle, int *flow);
int PTLAPI PtlSetFlow(int handle, int flow);
/* Applies, in this order, each of the five values that is not -1 through the setters above; returns the
 * first result above 0 (later values are then not applied), otherwise 0 (a setter's -1 neither stops it
 * nor is returned, so all -1 answers 0 and so does a kind without serial parameters). 1001 for a handle
 * that is not open and a value that is not -1. */
int PTLAPI PtlCommParams(int handle, int rate, int bits, int parity, int stop, int flow);

/* The default printer's name, looked up the way the running system supports (the spooler's own call from
 * Windows 2000 on, the "windows" profile section on NT 4, the printer enumeration on 9x). Needs no start.
 *   name  receives the name.
 *   size  in: the room at name, in characters; out: the name's length plus 1.
 * Returns 1 when the name was copied; 0 when there is no default printer, name or size is NULL, or the
 * name does not fit (then *size is the room it needs). */
int PTLAPI PtlGetDefaultPrinter(char *name, unsigned *size);

/* The text of a result code (the table at the top), a static text; "Unknown error." for codes without
 * one, 0 included. Needs no start. */
const char *PTLAPI PtlErrorText(int code);
/* For ports with PTL_IF_SERIAL, prints the target and its five settings to out (a stream of msvcrt.dll):
 *   " Target = COM3", "  Baudrate  = 9600", "  Data size = 8", "  Parity    = NONE", "  Stop bits = 1",
 *   "  Flow      = NONE", each ended by a newline.
 * Prints nothing for other kinds and for a handle that is not open. */
void PTLAPI PtlPrintSettings(FILE *out, int handle);

/* Command-line texts to the codes of the serial setters; -1 for a NULL or unaccepted text. The number
 * functions read the decimal number at the start of the text; the letter functions its first letter, in
 * either case. Need no start. */
/* Baud rate: the rate or its short form: 3/300, 6/600, 12/1200, 24/2400, 48/4800, 96/9600, 110,
 * 144/14400, 192/19200, 384/38400, 560/56000, 576/57600, 1152/115200, 1280/128000, 2560/256000. */
int PTLAPI PtlParseBaudRate(const char *text);
/* Data bits: 4, 5, 6, 7, 8. */
int PTLAPI PtlParseByteSize(const char *text);
/* Parity: N -> 0 none, O -> 1 odd, E -> 2 even, M -> 3 mark, S -> 4 space. */
int PTLAPI PtlParseParity(const char *text);
/* Stop bits: 1 -> 0, 15 or 5 -> 1 (one and a half), 2 -> 2 ("1.5" reads the number 1: 0). */
int PTLAPI PtlParseStopBits(const char *text);
/* Flow: N -> 0 none, D -> 1 DTR/DSR, R -> 2 RTS/CTS, X -> 3 XON/XOFF, W -> 4 DTR/DSR and RTS/CTS. */
int PTLAPI PtlParseFlow(const char *text);

/* Codes to display names, static texts; "" for a code not listed. Need no start. */
/* Baud rate: the rate in decimal, "110" to "256000". */
const char *PTLAPI PtlBaudRateName(int rate);
/* Data bits: "4" to "8". */
const char *PTLAPI PtlByteSizeName(int bits);
/* Parity: "NONE", "ODD", "EVEN", "MARK", "SPACE". */
const char *PTLAPI PtlParityName(int parity);
/* Stop bits: "1", "1.5", "2". */
const char *PTLAPI PtlStopBitsName(int stop);
/* Flow: "NONE", "DTR/DSR", "RTS/CTS", "XON/XOFF", "DTR/DSR+RTS/CTS". */
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
