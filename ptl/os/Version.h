// The system-version tests shared by the ports. Asked through the seam at each call, so a test can
// present another system.
#pragma once

namespace ptl::os {

// NT platform family with a major version above 3.
bool isNtFamily4();
// Major version above 5.
bool isAfterVersion5();

} // namespace ptl::os
