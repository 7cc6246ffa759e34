#include "xfs/WXfs.h"

#include <cstring>

#include "core/Console.h"
#include "core/Target.h"
#include "os/Syscalls.h"
#include "xfs/XfsDump.h"

namespace ptl {

using namespace xfs;

namespace {

// The manager stays loaded for the life of the process once found; while it is missing, every call
// looks for it again.
FARPROC managerFunction(const char *name) {
    static HMODULE module = nullptr;
    if (module == nullptr)
        module = os::LoadLibraryA("MSXFS.DLL");
    return module != nullptr ? os::GetProcAddress(module, name) : nullptr;
}

template <class Fn, class... A> LONG call(const char *name, A... args) {
    const auto fn = reinterpret_cast<Fn>(managerFunction(name));
    return fn != nullptr ? fn(args...) : kXfsMissing;
}

void freeResult(Result *result) {
    if (result != nullptr)
        call<FreeResultFn>("WFSFreeResult", result);
}

void versionLine(const char *label, WORD v) {
    consolePrintf("%s= %04X Ver.%02X.%02X\n", label, v, v & 0xFF, v >> 8);
}

// A NUL-separated list that ends with an empty name, as the service reads it.
char kTestFields[] = "TEST\0";
char kRawText[] = "KAVRO\r\n";
char kLogicalName[] = "NT_DOC";
char kNoAppId[] = "";

} // namespace

WXfs::~WXfs() {
    WXfs::release(0);
    endStartUp();
}

int WXfs::getIFType() {
    return kIfXfs;
}
int WXfs::getIOMode() {
    return 0;
}
const char *WXfs::getIFName() {
    return "XFS";
}

DeviceHandle WXfs::getHandle() {
    return reinterpret_cast<DeviceHandle>(app_);
}
bool WXfs::isClaimed() {
    return app_ != nullptr;
}
bool WXfs::isReady() {
    return service_ != 0;
}

int WXfs::claim(int) {
    release(0);
    endStartUp();
    Version version{};
    LONG r = call<StartUpFn>("WFSStartUp", kXfsVersions, &version);
    started_ = r == kSuccess;
    consolePrintf("%d WFSStartUp\n", static_cast<int>(r));
    versionLine(" wVersion       ", version.wVersion);
    versionLine(" wLowVersion    ", version.wLowVersion);
    versionLine(" wHighVersion   ", version.wHighVersion);
    // The texts come from the manager: never past their fields.
    consolePrintf(" szDescription  = %.256s\n", version.szDescription);
    consolePrintf(" szSystemStatus = %.256s\n", version.szSystemStatus);

    HAPP app = nullptr;
    r = call<CreateAppHandleFn>("WFSCreateAppHandle", &app);
    app_ = r == kSuccess ? app : nullptr;
    consolePrintf("%d WFSCreateAppHandle\n", static_cast<int>(r));
    consolePrintf(" hApp=%08X\n", static_cast<unsigned>(reinterpret_cast<uintptr_t>(app_)));

    consolePrintf(" Logical name = '%s'\n", kLogicalName);
    Version serviceVersion{};
    Version spiVersion{};
    HSERVICE service = 0;
    r = call<OpenFn>("WFSOpen", kLogicalName, app_, kNoAppId, DWORD{0}, kXfsOpenTimeoutMs, kXfsVersions,
                     &serviceVersion, &spiVersion, &service);
    service_ = r == kSuccess ? service : 0;
    consolePrintf("%d WFSOpen\n", static_cast<int>(r));
    return kOk;
}

int WXfs::release(int) {
    if (service_ == 0)
        return kOk;
    LONG r = call<CloseFn>("WFSClose", service_);
    service_ = 0;
    consolePrintf("%d WFSClose\n", static_cast<int>(r));
    r = call<DestroyAppHandleFn>("WFSDestroyAppHandle", app_);
    app_ = nullptr;
    consolePrintf("%d WFSDestroyAppHandle\n", static_cast<int>(r));
    r = call<CleanUpFn>("WFSCleanUp");
    started_ = false;
    consolePrintf("%d WFSCleanUp\n", static_cast<int>(r));
    return kOk;
}

void WXfs::endStartUp() {
    if (app_ != nullptr) {
        consolePrintf("%d WFSDestroyAppHandle\n",
                      static_cast<int>(call<DestroyAppHandleFn>("WFSDestroyAppHandle", app_)));
        app_ = nullptr;
    }
    if (started_) {
        consolePrintf("%d WFSCleanUp\n", static_cast<int>(call<CleanUpFn>("WFSCleanUp")));
        started_ = false;
    }
}

int WXfs::docStart(int, int) {
    Result *result = nullptr;
    LONG r = call<LockFn>("WFSLock", service_, kIndefiniteWait, &result);
    consolePrintf("%d WFSLock\n", static_cast<int>(r));
    freeResult(result);

    WORD noDetails = 0;
    std::strcpy(media_, "DINA4");
    std::strcpy(form_, "DINA416");
    std::strcpy(field_, "BLOCK_1");
    PtrQueryField queryField{form_, field_};
    const struct {
        DWORD category;
        const char *name;
        void *details;
        void (*dump)(const Result *);
    } queries[] = {
        {kInfCapabilities, "WFS_INF_PTR_CAPABILITIES", &noDetails, dumpCaps},
        {kInfMediaList, "WFS_INF_PTR_MEDIA_LIST", &noDetails, dumpMediaList},
        {kInfFormList, "WFS_INF_PTR_FORM_LIST", &noDetails, dumpFormList},
        {kInfQueryMedia, "WFS_INF_PTR_QUERY_MEDIA", media_, nullptr},
        {kInfQueryForm, "WFS_INF_PTR_QUERY_FORM", form_, dumpForm},
        {kInfQueryField, "WFS_INF_PTR_QUERY_FIELD", &queryField, dumpFields},
        {kInfStatus, "WFS_INF_PTR_STATUS", &noDetails, dumpStatus},
    };
    for (const auto &q : queries) {
        result = nullptr;
        r = call<GetInfoFn>("WFSGetInfo", service_, q.category, q.details, kIndefiniteWait, &result);
        consolePrintf("%d WFSGetInfo(%s)\n", static_cast<int>(r), q.name);
        if (q.dump != nullptr)
            q.dump(result);
        else
            dumpMedia(media_, result);
        freeResult(result);
    }

    PtrPrintForm printForm{form_, media_, 0, 0, 0, kResLow, kCtrlEject, kTestFields};
    PtrRawData raw{kNoInputData, sizeof kRawText - 1, reinterpret_cast<LPBYTE>(kRawText)};
    DWORD mediaControl = kCtrlEject;
    PtrMediaUnit unit{2, 1, 1};
    const struct {
        DWORD command;
        const char *name; // null: no line
        void *data;
        DWORD timeoutMs;
    } commands[] = {
        {kCmdPrintForm, "WFS_CMD_PTR_PRINT_FORM", &printForm, kXfsPrintTimeoutMs},
        {kCmdRawData, "WFS_CMD_PTR_RAW_DATA", &raw, kXfsRawTimeoutMs},
        {kCmdControlMedia, "WFS_CMD_PTR_CONTROL_MEDIA", &mediaControl, kIndefiniteWait},
        {kCmdMediaExtents, nullptr, &unit, kXfsRawTimeoutMs},
    };
    for (const auto &c : commands) {
        result = nullptr;
        r = call<ExecuteFn>("WFSExecute", service_, c.command, c.data, c.timeoutMs, &result);
        if (c.name != nullptr)
            consolePrintf("%d WFSExecute(%s)\n", static_cast<int>(r), c.name);
        freeResult(result);
    }
    return kOk;
}

int WXfs::docEnd() {
    consolePrintf("%d WFSUnlock\n", static_cast<int>(call<UnlockFn>("WFSUnlock", service_)));
    return kOk;
}

int WXfs::send(const void *data, int len, int *written, int, int, int) {
    if (written == nullptr)
        return kNullArgument;
    *written = 0;
    if (len <= 0)
        return kOk;
    if (data == nullptr)
        return kNullArgument;
    if (service_ == 0) {
        os::SetLastError(ERROR_NOT_READY);
        return kWriteFailed;
    }
    PtrRawData raw{kNoInputData, static_cast<ULONG>(len), static_cast<LPBYTE>(const_cast<void *>(data))};
    Result *result = nullptr;
    const LONG r = call<ExecuteFn>("WFSExecute", service_, kCmdRawData, &raw, kXfsRawTimeoutMs, &result);
    consolePrintf("%d WFSExecute(WFS_CMD_PTR_RAW_DATA)\n", static_cast<int>(r));
    freeResult(result);
    if (r != kSuccess)
        return kWriteFailed;
    *written = len;
    return kOk;
}

int WXfs::recv(void *, int, int *got, int) {
    // The service hands nothing back through this port.
    if (got != nullptr)
        *got = 0;
    return kOk;
}

} // namespace ptl
