// Makes the port for a target: the object of the class for its interface type and mode, configured with
// what the target text names.
#pragma once

#include <memory>

#include "core/Target.h"
#include "port/WPort.h"

namespace ptl {

constexpr int kModeSync = 0;
constexpr int kModeThreaded = 1;
constexpr int kModeEvent = 2;
constexpr int kModeWindow = 3;

// A new port object of the class for the type and mode; null for a type without a port kind, a mode the
// kind does not offer, or no memory.
std::unique_ptr<WPort> newPort(int type, int mode);

// The port for a parsed target, configured with its name (file targets take the text), port number,
// sub-type and address; null where newPort has none or the port rejects the address.
std::unique_ptr<WPort> openPort(const Target &target, const char *text, int mode);

} // namespace ptl
