#include "core/Factory.h"

#include <new>

#include "core/HandleTable.h"
#include "core/Target.h"
#include "extlib/WSpooler.h"
#include "net/WNet.h"
#include "net/WNetA.h"
#include "net/WNetE.h"
#include "net/WNetW.h"
#include "net/WVqnet.h"
#include "net/WVqnetA.h"
#include "net/WVqnetE.h"
#include "port/WConsole.h"
#include "port/WFile.h"
#include "serial/WCom.h"
#include "serial/WComA.h"
#include "serial/WComE.h"
#include "serial/WLpt.h"
#include "serial/WLptA.h"

namespace ptl {

namespace {

using Maker = WPort *(*)();

template <class T> WPort *make() {
    return new (std::nothrow) T;
}

// One row per interface type: the class for modes 0 to 3 and for any other mode; null where the kind does
// not offer the mode. Each port kind adds its row here.
struct Row {
    int type;
    Maker modes[4];
    Maker other;
};

template <class T> constexpr Row anyMode(int type) {
    return {type, {make<T>, make<T>, make<T>, make<T>}, make<T>};
}

const Row kRows[] = {
    anyMode<WConsole>(kIfConsole),
    anyMode<WDump>(kIfDump),
    anyMode<WFile>(kIfFile),
    {kIfCom, {make<WCom>, make<WComA>, make<WComE>, nullptr}, nullptr},
    {kIfLpt, {make<WLpt>, make<WLptA>, nullptr, nullptr}, nullptr},
    {kIfNet, {make<WNet>, make<WNetA>, make<WNetE>, make<WNetW>}, nullptr},
    {kIfVqnet, {make<WVqnet>, make<WVqnetA>, make<WVqnetE>, nullptr}, nullptr},
    anyMode<WSpooler>(kIfSpooler),
};

} // namespace

WPort *newPort(int type, int mode) {
    for (const Row &row : kRows) {
        if (row.type != type)
            continue;
        Maker maker = (mode >= 0 && mode < 4) ? row.modes[mode] : row.other;
        return maker != nullptr ? maker() : nullptr;
    }
    return nullptr;
}

int createPort(int type, int mode) {
    WPort *port = newPort(type, mode);
    return port != nullptr ? addPort(port) : kNoPort;
}

} // namespace ptl
