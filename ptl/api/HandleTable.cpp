#include "api/HandleTable.h"

#include <map>

#include "port/WPort.h"

namespace ptl {

namespace {

// Never destroyed: ports still open at process exit are not torn down behind the caller's back.
std::map<int32_t, std::unique_ptr<WPort>> &table() {
    static auto *t = new std::map<int32_t, std::unique_ptr<WPort>>;
    return *t;
}

} // namespace

int addPort(std::unique_ptr<WPort> port) {
    static_assert(sizeof(void *) == 4, "handles are object addresses on this 32-bit platform");
    int32_t h = static_cast<int32_t>(reinterpret_cast<uintptr_t>(port.get()));
    table()[h] = std::move(port);
    return h;
}

WPort *findPort(int handle) {
    auto it = table().find(handle);
    return it == table().end() ? nullptr : it->second.get();
}

bool closePort(int handle) {
    auto it = table().find(handle);
    if (it == table().end())
        return false;
    // The destructor stops the port's threads and releases the device before the entry goes.
    it->second.reset();
    table().erase(it);
    return true;
}

int portCount() {
    return static_cast<int>(table().size());
}

} // namespace ptl
