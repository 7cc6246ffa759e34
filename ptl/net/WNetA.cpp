#include "net/WNetA.h"

namespace ptl {

WNetA::WNetA() : NetAsync<WNet>("WNetA") {}

WNetA::~WNetA() {
    release(0);
}

int WNetA::getIOMode() {
    return 1;
}

} // namespace ptl
