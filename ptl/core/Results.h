// Result codes of the library: 0 success, -1 operation not supported by the port kind, positive values
// are failures. The one place where codes are named; PtlErrorText turns them into texts.
#pragma once

namespace ptl {

constexpr int kOk = 0;
constexpr int kNotSupported = -1;
constexpr int kInvalidHandle = 1001; // also: port not claimed
constexpr int kBadReply = 1004;      // a printer-network reply did not have the expected form
constexpr int kQueueFailed = 1011;   // send or receive queue could not be made, or is absent
constexpr int kInvalidPortNo = 1013;
constexpr int kCantClaim = 1014;
constexpr int kThreadFailed = 1015;
constexpr int kEventsFailed = 1016;
constexpr int kSocketFailed = 1017;
constexpr int kCantConnect = 1018;
constexpr int kTimeout = 1019;
constexpr int kWindowFailed = 1020;
constexpr int kSocketLayerFailed = 1021;
constexpr int kLogFailed = 1022;
constexpr int kCtlCancelled = 1023;
constexpr int kCtlSendFailed = 1025;    // the control request could not be sent
constexpr int kCtlReceiveFailed = 1026; // the control reply could not be received
constexpr int kEventSelectFailed = 1027;
constexpr int kInvalidAddress = 1028;
constexpr int kCantOpen = 1029;
constexpr int kNullArgument = 1030;
constexpr int kUsbRequestFailed = 1040;
constexpr int kIbmProtocolFailed = 1041;
constexpr int kWriteFailed = 1101;
constexpr int kReadFailed = 1102;
constexpr int kStateFailed = 1103;
constexpr int kPurgeFailed = 1104;
constexpr int kResetFailed = 1105;
constexpr int kLockFailed = 1106;
constexpr int kUnlockFailed = 1107;
constexpr int kLibraryMissing = 1157;
constexpr int kBadBaudRate = 1210;
constexpr int kBadByteSize = 1211;
constexpr int kBadParity = 1212;
constexpr int kBadStopBits = 1213;
constexpr int kBadFlow = 1214;
constexpr int kBadCommState = 1215;
constexpr int kReportTooLong = 1220;
constexpr int kVendorLockFailed = 1999; // KVBSDH's library refused a lock or unlock
constexpr int kIbmLibraryMissing = 9999;
constexpr int kSystemCallFailed = 10000;

// The text of a result code; "Unknown error." for codes without one of their own.
const char *errorText(int code);

} // namespace ptl
