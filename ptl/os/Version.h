// What the ports ask about the system: version tests and the program-files folder. Asked through the seam
// at each call, so a test can present another system.
#pragma once

#include <cstddef>

namespace ptl::os {

// NT platform family with a major version above 3.
bool isNtFamily4();
// Major version above 5.
bool isAfterVersion5();
// The program-files folder into path (at least MAX_PATH bytes): the shell's special folder (made if it is
// missing), else the machine's "ProgramFilesDir" setting; false when neither gives one.
bool programFilesDir(char *path, size_t size);

} // namespace ptl::os
