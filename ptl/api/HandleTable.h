// Handles name open ports. A handle is the port object's identity (its address as a 32-bit value), so two
// live ports never share one and -1 never names one. The table owns the ports; it has no lock because the
// public functions are used from one thread at a time.
#pragma once

#include <cstdint>
#include <memory>

namespace ptl {

class WPort;

constexpr int kNoPort = -1;

// Takes the port over and returns its handle.
int addPort(std::unique_ptr<WPort> port);
// The port behind a handle, or null.
WPort *findPort(int handle);
// Destroys the port and removes its entry; false for an unknown handle.
bool closePort(int handle);
// Number of open handles.
int portCount();

} // namespace ptl
