// The CEN/XFS 2.0 structures, codes and manager functions that the XFS printer port uses, written from
// the published layouts (XFS API and printer service class, version 2.00). The standard packs them to
// single bytes; the sizes are checked below.
#pragma once

#include <windows.h>

#include <cstddef>

namespace ptl::xfs {

using HSERVICE = USHORT;
using HAPP = HANDLE;

constexpr LONG kSuccess = 0;
constexpr DWORD kIndefiniteWait = 0;
constexpr WORD kServiceClassPtr = 1;

// WFSGetInfo categories and WFSExecute commands of the printer class.
constexpr DWORD kInfStatus = 101;
constexpr DWORD kInfCapabilities = 102;
constexpr DWORD kInfFormList = 103;
constexpr DWORD kInfMediaList = 104;
constexpr DWORD kInfQueryForm = 105;
constexpr DWORD kInfQueryMedia = 106;
constexpr DWORD kInfQueryField = 107;
constexpr DWORD kCmdControlMedia = 101;
constexpr DWORD kCmdPrintForm = 102;
constexpr DWORD kCmdRawData = 104;
constexpr DWORD kCmdMediaExtents = 105;

constexpr WORD kResLow = 0x0001;
constexpr DWORD kCtrlEject = 0x0001;
constexpr WORD kNoInputData = 0;

#pragma pack(push, 1)

struct Version {
    WORD wVersion;
    WORD wLowVersion;
    WORD wHighVersion;
    CHAR szDescription[257];
    CHAR szSystemStatus[257];
};

struct Result {
    ULONG RequestID;
    HSERVICE hService;
    SYSTEMTIME tsTimestamp;
    LONG hResult;
    DWORD dwCommandCode; // or the event id: a union in the standard
    LPVOID lpBuffer;
};

struct PtrCaps {
    WORD wClass;
    WORD fwType;
    BOOL bCompound;
    WORD wResolution;
    WORD fwReadForm;
    WORD fwWriteForm;
    WORD fwExtents;
    WORD fwControl;
    USHORT usMaxRetract;
    USHORT usMaxMediaOnStacker;
    BOOL bAcceptMedia;
    LPSTR lpszExtra;
};

struct PtrStatus {
    WORD fwDevice;
    WORD fwMedia;
    WORD fwPaper;
    WORD fwToner;
    WORD fwInk;
    WORD fwLamp;
    WORD fwRetractBin;
    USHORT usRetractCount;
    USHORT usMediaOnStacker;
    LPSTR lpszExtra;
};

struct FrmMedia {
    WORD fwMediaType;
    WORD wBase;
    WORD wUnitX;
    WORD wUnitY;
    WORD wSizeWidth;
    WORD wSizeHeight;
    WORD wPageCount;
    WORD wLineCount;
    WORD wPrintAreaX;
    WORD wPrintAreaY;
    WORD wPrintAreaWidth;
    WORD wPrintAreaHeight;
    WORD wRestrictedAreaX;
    WORD wRestrictedAreaY;
    WORD wRestrictedAreaWidth;
    WORD wRestrictedAreaHeight;
    WORD wStagger;
    WORD wFoldType;
};

struct FrmHeader {
    LPSTR lpszFormName;
    WORD wBase;
    WORD wUnitX;
    WORD wUnitY;
    WORD wWidth;
    WORD wHeight;
    WORD wAlignment;
    WORD wOrientation;
    WORD wOffsetX;
    WORD wOffsetY;
    WORD wVersionMajor;
    WORD wVersionMinor;
    LPSTR lpszUserPrompt;
    LPSTR lpszFields; // NUL-separated names, ended by an empty one
};

struct FrmField {
    LPSTR lpszFieldName;
    WORD wIndexCount;
    WORD fwType;
    WORD fwClass;
    WORD fwAccess;
    WORD fwOverflow;
    LPSTR lpszInitialValue;
    LPSTR lpszFormat;
};

struct PtrQueryField {
    LPSTR lpszFormName;
    LPSTR lpszFieldName;
};

struct PtrPrintForm {
    LPSTR lpszFormName;
    LPSTR lpszMediaName;
    WORD wAlignment;
    WORD wOffsetX;
    WORD wOffsetY;
    WORD wResolution;
    DWORD dwMediaControl;
    LPSTR lpszFields;
};

struct PtrRawData {
    WORD wInputData;
    ULONG ulSize;
    LPBYTE lpbData;
};

struct PtrMediaUnit {
    WORD wBase;
    WORD wUnitX;
    WORD wUnitY;
};

#pragma pack(pop)

static_assert(sizeof(Version) == 520 && sizeof(Result) == 34 && sizeof(PtrCaps) == 30);
static_assert(sizeof(PtrStatus) == 22 && sizeof(FrmMedia) == 36 && sizeof(FrmHeader) == 34);
static_assert(sizeof(FrmField) == 22 && sizeof(PtrPrintForm) == 24 && sizeof(PtrRawData) == 10);
static_assert(offsetof(Result, lpBuffer) == 30 && offsetof(PtrCaps, bAcceptMedia) == 22);

// The manager's functions (MSXFS.DLL), __stdcall like every XFS entry.
using StartUpFn = LONG(WINAPI *)(DWORD versionsRequired, Version *version);
using CleanUpFn = LONG(WINAPI *)();
using CreateAppHandleFn = LONG(WINAPI *)(HAPP *app);
using DestroyAppHandleFn = LONG(WINAPI *)(HAPP app);
using OpenFn = LONG(WINAPI *)(LPSTR logicalName, HAPP app, LPSTR appId, DWORD traceLevel, DWORD timeOut,
                              DWORD versionsRequired, Version *serviceVersion, Version *spiVersion,
                              HSERVICE *service);
using CloseFn = LONG(WINAPI *)(HSERVICE service);
using LockFn = LONG(WINAPI *)(HSERVICE service, DWORD timeOut, Result **result);
using UnlockFn = LONG(WINAPI *)(HSERVICE service);
using GetInfoFn = LONG(WINAPI *)(HSERVICE service, DWORD category, LPVOID details, DWORD timeOut,
                                 Result **result);
using ExecuteFn = LONG(WINAPI *)(HSERVICE service, DWORD command, LPVOID data, DWORD timeOut,
                                 Result **result);
using FreeResultFn = LONG(WINAPI *)(Result *result);

} // namespace ptl::xfs
