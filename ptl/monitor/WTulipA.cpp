#include "monitor/WTulipA.h"

#include "core/Log.h"
#include "monitor/Libraries.h"

namespace ptl {

WTulipA::WTulipA() : AsyncPort<WTulip>("WTulipA") {}

WTulipA::~WTulipA() {
    release(0);
}

int WTulipA::getIOMode() {
    return 1;
}

int WTulipA::openEngineDevice(int) {
    return openPort(FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED);
}

void WTulipA::closeEngineDevice() {
    handle_.reset();
}

// The forced-write flag is read at each write, so a change takes effect at the next one.
bool WTulipA::writeBlock(const uint8_t *data, uint32_t len, uint32_t *done) {
    return writeOverlapped(handle_.get(), data, len, done,
                           forced_.load() != 0 ? monitor::sdWriteFile2 : monitor::sdWriteFile);
}

bool WTulipA::readBlock(uint8_t *buf, uint32_t len, uint32_t *done) {
    return readOverlapped(handle_.get(), buf, len, done, monitor::sdReadFile);
}

} // namespace ptl
