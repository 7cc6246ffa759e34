// One device control request, complete when it returns. On a handle opened for overlapped I/O the
// request carries an OVERLAPPED of its own and is waited for: without one the system would wait on the
// file handle, which the send and receive threads' own I/O also signals, and could return before the
// driver filled the caller's buffer.
#pragma once

#include <windows.h>

namespace ptl {

bool deviceControl(HANDLE h, bool overlapped, DWORD code, const void *in, DWORD inSize, void *out,
                   DWORD outSize);

} // namespace ptl
