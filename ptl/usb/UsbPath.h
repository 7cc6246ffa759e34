// The vendor/product filter of device-interface discovery. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ptl {

// True when path passes the id filter: every path with vendor id 0; otherwise a path that begins, ignoring
// case, with "\\?\usb#vid_vvvv" (and "&pid_pppp" when the product id is not 0), ids in lower-case hex.
bool passesIdFilter(const char *path, uint16_t vendorId, uint16_t productId);

// Length of the NUL-terminated text in at most max bytes; max when there is no terminator.
size_t boundedLength(const char *text, size_t max);

} // namespace ptl
