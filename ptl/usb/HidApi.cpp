#include "usb/HidApi.h"

#include <hidpi.h>

#include "os/KeptLibrary.h"

namespace ptl::hid {

namespace {

os::KeptLibrary &library() {
    static os::KeptLibrary hid("HID.DLL");
    return hid;
}

using GetGuidFn = void(WINAPI *)(LPGUID);
using AttributesFn = BOOLEAN(WINAPI *)(HANDLE, PHIDD_ATTRIBUTES);
using PreparsedFn = BOOLEAN(WINAPI *)(HANDLE, PHIDP_PREPARSED_DATA *);
using CapsFn = NTSTATUS(WINAPI *)(PHIDP_PREPARSED_DATA, PHIDP_CAPS);
using FreeFn = BOOLEAN(WINAPI *)(PHIDP_PREPARSED_DATA);
using FeatureFn = BOOLEAN(WINAPI *)(HANDLE, PVOID, ULONG);

} // namespace

bool getHidGuid(GUID *guid) {
    auto f = reinterpret_cast<GetGuidFn>(library().lookup("HidD_GetHidGuid"));
    if (f != nullptr)
        f(guid);
    return f != nullptr;
}

bool getAttributes(HANDLE device, HIDD_ATTRIBUTES *attributes) {
    return library().callOr<AttributesFn>(BOOLEAN{0}, "HidD_GetAttributes", device, attributes) != 0;
}

bool getPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA *data) {
    return library().callOr<PreparsedFn>(BOOLEAN{0}, "HidD_GetPreparsedData", device, data) != 0;
}

bool getCaps(PHIDP_PREPARSED_DATA data, HIDP_CAPS *caps) {
    return library().callOr<CapsFn>(NTSTATUS{0}, "HidP_GetCaps", data, caps) == HIDP_STATUS_SUCCESS;
}

void freePreparsedData(PHIDP_PREPARSED_DATA data) {
    library().callOr<FreeFn>(BOOLEAN{0}, "HidD_FreePreparsedData", data);
}

bool getFeature(HANDLE device, void *report, ULONG length) {
    return library().callOr<FeatureFn>(BOOLEAN{0}, "HidD_GetFeature", device, report, length) != 0;
}

} // namespace ptl::hid
