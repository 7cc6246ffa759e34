// Feeds arbitrary target texts to the parser and the address reader: they must never read past the text,
// and a network type must come with an accepted address or none.
#include <cstdint>
#include <cstring>
#include <string>

#include "core/Target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    const ptl::Target t = ptl::parseTarget(text.c_str());
    const int type = t.type, port = t.portNo;
    const uint32_t address = t.address;
    if ((static_cast<uint32_t>(type) & ptl::kIfNetworkBit) && address != 0 &&
        !ptl::isAcceptedAddress(address))
        __builtin_trap();
    if (type != ptl::kIfFile && port < -1)
        __builtin_trap();
    ptl::ipv4FromText(text.c_str());
    return 0;
}
