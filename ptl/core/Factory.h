// Creates the port object for an interface type code and a mode and enters it in the handle table.
#pragma once

namespace ptl {

constexpr int kModeSync = 0;
constexpr int kModeThreaded = 1;
constexpr int kModeEvent = 2;
constexpr int kModeWindow = 3;

// A new port object of the class for the type and mode, owned by the caller; null for a type without a
// port kind, a mode the kind does not offer, or no memory.
class WPort;
WPort *newPort(int type, int mode);

// The handle of the new port, or -1 for a type without a port kind or a mode the kind does not offer.
int createPort(int type, int mode);

} // namespace ptl
