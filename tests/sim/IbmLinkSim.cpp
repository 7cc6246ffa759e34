#include "sim/IbmLinkSim.h"

namespace ptl::test {

IbmLinkSim::IbmLinkSim(Seam &seam, SimComm &line) {
    auto write = currentEntry<&os::Api::WriteFile>();
    seam.on<&os::Api::WriteFile>(
        [this, write](HANDLE h, LPCVOID data, DWORD len, LPDWORD put, LPOVERLAPPED ov) {
            std::lock_guard<std::mutex> g(lock_);
            requests_.emplace_back(static_cast<const char *>(data), len);
            current_ = next_ < script_.size() ? script_[next_++] : Answer{};
            return write(h, data, len, put, ov);
        });
    auto escape = currentEntry<&os::Api::EscapeCommFunction>();
    seam.on<&os::Api::EscapeCommFunction>([this, escape, &line](HANDLE h, DWORD f) -> BOOL {
        std::unique_lock<std::mutex> g(lock_);
        if (f == SETRTS && current_.rtsFails) {
            current_.rtsFails = false;
            SetLastError(ERROR_GEN_FAILURE);
            return FALSE;
        }
        const std::string byte = f == SETRTS ? current_.bytes.substr(0, 1) : "";
        current_.bytes.erase(0, byte.size());
        raises_ += f == SETRTS;
        g.unlock();
        const BOOL ok = escape(h, f);
        line.feed(byte);
        return ok;
    });
}

} // namespace ptl::test
