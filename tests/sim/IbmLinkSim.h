// A printer on the IBMFP link, on the far side of a SimComm line: each frame the port writes is one
// request, answered by the next scripted reply, of which the printer sends a byte only when RTS is raised
// (one byte per raise), as the link's handshake demands.
//
//   SimComm line(seam, "\\\\.\\COM3");
//   IbmLinkSim printer(seam, line);
//   printer.reply(bytes);         // the answer to the next request; "" stays silent
//   printer.reply("", true);      // the next request's first RTS raise fails
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "sim/SimComm.h"

namespace ptl::test {

// The entry a Seam currently routes a table entry to, to call from a replacement laid over it.
template <auto Field> auto currentEntry() {
    return detail::Trampoline<Field, detail::FieldType<Field>>::fn;
}

class IbmLinkSim {
public:
    IbmLinkSim(Seam &seam, SimComm &line);
    void reply(const std::string &bytes, bool rtsFails = false) {
        std::lock_guard<std::mutex> g(lock_);
        script_.push_back({bytes, rtsFails});
    }
    std::vector<std::string> requests() { return locked(requests_); } // the frames written
    int rtsRaises() { return locked(raises_); }

private:
    template <class T> T locked(const T &field) {
        std::lock_guard<std::mutex> g(lock_);
        return field;
    }
    struct Answer {
        std::string bytes;
        bool rtsFails = false;
    };
    std::mutex lock_;
    std::vector<Answer> script_;
    size_t next_ = 0;
    Answer current_;
    std::vector<std::string> requests_;
    int raises_ = 0;
};

} // namespace ptl::test
