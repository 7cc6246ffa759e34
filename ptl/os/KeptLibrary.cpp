#include "os/KeptLibrary.h"

#include "os/Syscalls.h"

namespace ptl::os {

FARPROC KeptLibrary::lookup(const char *function) {
    HMODULE module;
    {
        std::lock_guard<std::mutex> g(lock_);
        if (module_ == nullptr)
            module_ = os::LoadLibraryA(name_);
        module = module_;
    }
    return module != nullptr ? os::GetProcAddress(module, function) : nullptr;
}

} // namespace ptl::os
