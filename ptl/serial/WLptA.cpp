#include "serial/WLptA.h"

namespace ptl {

WLptA::WLptA() : CommAsync<WLpt>("WLptA", "LPT") {}

WLptA::~WLptA() {
    release(0);
}

int WLptA::getIOMode() {
    return 1;
}

} // namespace ptl
