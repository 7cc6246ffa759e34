// A stand-in XFS manager with one printer service, "NT_DOC": fixed answers to the printer port's calls,
// and a log of the arguments as they crossed the DLL boundary. FakeXfsSetup picks the capabilities'
// fwType and the misbehaviours below; FakeXfsLog and FakeXfsOutstanding report.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "xfs/XfsTypes.h"

using namespace ptl::xfs;

namespace {

enum : unsigned { kNoService = 1, kNullResults = 2, kNullBuffers = 4, kRawFails = 8 };
unsigned flags = 0;
std::string calls;
int outstanding = 0;

__attribute__((format(printf, 1, 2))) void note(const char *format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    calls += line + std::string("\n");
}

LONG answer(Result **out, DWORD code, void *buffer, LONG hr = 0) {
    *out = (flags & kNullResults) ? nullptr : new Result{7,  42,   {},
                                                         hr, code, (flags & kNullBuffers) ? nullptr : buffer};
    outstanding += *out != nullptr;
    return hr;
}

unsigned long number(const void *p) {
    return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(p));
}

char mediaList[] = "DINA4\0DINA5\0", formList[] = "DINA416\0";
char formName[] = "DINA416", prompt[] = "Insert a sheet", fieldList[] = "BLOCK_1\0BLOCK_2\0";
char fieldName[] = "BLOCK_1", initial[] = "-", format[] = "X(20)";
PtrCaps caps{1, 9, FALSE, 0x03, 0, 0x01, 0, 0x0101, 0, 0, TRUE, nullptr};
PtrStatus status{0, 1, 2, 4, 7, 9, 1, 5, 6, nullptr};
FrmMedia media{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
FrmHeader header{formName, 2, 10, 10, 2100, 2970, 0, 1, 5, 6, 1, 2, prompt, fieldList};
FrmField field{fieldName, 0, 0, 1, 2, 3, initial, format};
FrmField *fields[] = {&field, nullptr};

} // namespace

extern "C" {

LONG WINAPI WFSStartUp(DWORD versions, Version *v) {
    note("StartUp %08lX", versions);
    *v = Version{0x0002, 0x0001, 0x0A03, "Fake XFS manager", "Running"};
    return 0;
}
LONG WINAPI WFSCleanUp() {
    note("CleanUp");
    return 0;
}
LONG WINAPI WFSCreateAppHandle(HAPP *app) {
    note("CreateAppHandle");
    *app = reinterpret_cast<HAPP>(0x00C0FFEE);
    return 0;
}
LONG WINAPI WFSDestroyAppHandle(HAPP app) {
    note("DestroyAppHandle %08lX", number(app));
    return 0;
}
LONG WINAPI WFSOpen(LPSTR name, HAPP app, LPSTR appId, DWORD trace, DWORD timeout, DWORD versions, Version *,
                    Version *, HSERVICE *service) {
    note("Open %s %08lX '%s' %lu %lu %08lX", name, number(app), appId, trace, timeout, versions);
    *service = (flags & kNoService) ? 0 : 42;
    return *service ? 0 : -43; // no such logical service
}
LONG WINAPI WFSClose(HSERVICE s) {
    note("Close %u", s);
    return 0;
}
LONG WINAPI WFSLock(HSERVICE s, DWORD timeout, Result **out) {
    note("Lock %u %lu", s, timeout);
    return answer(out, 0, nullptr);
}
LONG WINAPI WFSUnlock(HSERVICE s) {
    note("Unlock %u", s);
    return 0;
}
LONG WINAPI WFSFreeResult(Result *result) {
    --outstanding;
    delete result;
    return 0;
}

LONG WINAPI WFSGetInfo(HSERVICE s, DWORD category, LPVOID details, DWORD timeout, Result **out) {
    note("GetInfo %u %lu %lu", s, category, timeout);
    auto *query = static_cast<PtrQueryField *>(details);
    switch (category) {
    case kInfCapabilities:
        return answer(out, category, &caps);
    case kInfMediaList:
        return answer(out, category, mediaList);
    case kInfFormList:
        return answer(out, category, formList);
    case kInfQueryMedia:
        note(" media %s", static_cast<char *>(details));
        return answer(out, category, &media);
    case kInfQueryForm:
        note(" form %s", static_cast<char *>(details));
        return answer(out, category, &header);
    case kInfQueryField:
        note(" field %s %s", query->lpszFormName, query->lpszFieldName);
        return answer(out, category, fields);
    }
    return answer(out, category, &status);
}

LONG WINAPI WFSExecute(HSERVICE s, DWORD command, LPVOID data, DWORD timeout, Result **out) {
    note("Execute %u %lu %lu", s, command, timeout);
    auto *p = static_cast<PtrPrintForm *>(data);
    auto *raw = static_cast<PtrRawData *>(data);
    auto *unit = static_cast<PtrMediaUnit *>(data);
    std::string hex;
    switch (command) {
    case kCmdPrintForm:
        note(" form %s %s %u %u %u %u %lu %s+%d", p->lpszFormName, p->lpszMediaName, p->wAlignment,
             p->wOffsetX, p->wOffsetY, p->wResolution, p->dwMediaControl, p->lpszFields,
             p->lpszFields[std::strlen(p->lpszFields) + 1]);
        return answer(out, command, nullptr);
    case kCmdRawData:
        for (ULONG i = 0; i < raw->ulSize; ++i)
            hex += "0123456789ABCDEF"[raw->lpbData[i] >> 4] +
                   std::string(1, "0123456789ABCDEF"[raw->lpbData[i] & 15]);
        note(" raw %u %lu %s", raw->wInputData, raw->ulSize, hex.c_str());
        return answer(out, command, nullptr, (flags & kRawFails) ? -14 : 0);
    case kCmdControlMedia:
        note(" control %lu", *static_cast<DWORD *>(data));
        return answer(out, command, nullptr, -201); // no media to eject
    }
    note(" extents %u %u %u", unit->wBase, unit->wUnitX, unit->wUnitY);
    return answer(out, command, nullptr);
}

void WINAPI FakeXfsSetup(int type, unsigned misbehave) {
    caps.fwType = static_cast<WORD>(type);
    flags = misbehave;
    calls.clear();
}
const char *WINAPI FakeXfsLog() {
    return calls.c_str();
}
int WINAPI FakeXfsOutstanding() {
    return outstanding;
}

} // extern "C"
