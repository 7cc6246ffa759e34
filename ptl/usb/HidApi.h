// HID.DLL, loaded by name at the first call of any of these and kept for the process. A missing library or
// function reports failure: false, and HidD_GetHidGuid leaves the GUID untouched.
#pragma once

#include <windows.h>

#include <hidsdi.h>

namespace ptl::hid {

bool getHidGuid(GUID *guid);
bool getAttributes(HANDLE device, HIDD_ATTRIBUTES *attributes);
bool getPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA *data);
// True when HidP_GetCaps answered HIDP_STATUS_SUCCESS.
bool getCaps(PHIDP_PREPARSED_DATA data, HIDP_CAPS *caps);
void freePreparsedData(PHIDP_PREPARSED_DATA data);
bool getFeature(HANDLE device, void *report, ULONG length);

} // namespace ptl::hid
