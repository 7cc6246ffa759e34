// The blocking send and receive of a port that owns one device handle: 1030 for a null count, the count 0
// before any failure (1101 / 1102), else the bytes the system moved.
#pragma once

#include <windows.h>

namespace ptl {

int blockingSend(HANDLE h, const void *data, int len, int *written);
int blockingRecv(HANDLE h, void *buffer, int size, int *got);

} // namespace ptl
