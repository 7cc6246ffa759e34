#include "api/Factory.h"

#include <new>

#include "extlib/WIBMDLL.h"
#include "extlib/WSpooler.h"
#include "extlib/WVendorPorts.h"
#include "monitor/WOlmprt.h"
#include "monitor/WTulip.h"
#include "monitor/WTulipA.h"
#include "net/WNet.h"
#include "net/WNetA.h"
#include "net/WNetE.h"
#include "net/WNetW.h"
#include "net/WVqnet.h"
#include "net/WVqnetA.h"
#include "net/WVqnetE.h"
#include "port/WConsole.h"
#include "port/WFile.h"
#include "serial/WAea.h"
#include "serial/WCom.h"
#include "serial/WComA.h"
#include "serial/WComE.h"
#include "serial/WIBMFP.h"
#include "serial/WLpt.h"
#include "serial/WLptA.h"
#include "usb/WHidAld.h"
#include "usb/WHidIbmM4.h"
#include "usb/WHidIbmTI4.h"
#include "usb/WLibusb.h"
#include "usb/WLibusbA.h"
#include "usb/WUsbprn.h"
#include "usb/WUsbprnA.h"
#include "usb/WVqlpt.h"
#include "usb/WVqlptA.h"
#include "usb/WVqprn.h"
#include "usb/WVqprnA.h"
#include "usb/WVqusb.h"
#include "usb/WVqusbA.h"
#include "xfs/WXfs.h"

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
    {kIfVqusb, {make<WVqusb>, make<WVqusbA>, nullptr, nullptr}, nullptr},
    {kIfVqprn, {make<WVqprn>, make<WVqprnA>, nullptr, nullptr}, nullptr},
    {kIfUsbprn, {make<WUsbprn>, make<WUsbprnA>, nullptr, nullptr}, nullptr},
    {kIfVqlpt, {make<WVqlpt>, make<WVqlptA>, nullptr, nullptr}, nullptr},
    anyMode<WIBMFP>(kIfIbmFp),
    anyMode<WAea>(kIfAea),
    anyMode<WXfs>(kIfXfs),
    anyMode<WOlmprt>(kIfOlmprt),
    {kIfTulip, {make<WTulip>, make<WTulipA>, nullptr, nullptr}, nullptr},
    {kIfLibusb, {make<WLibusb>, make<WLibusbA>, make<WLibusb>, make<WLibusb>}, make<WLibusb>},
    anyMode<WHidIbmTI4>(kIfIbmTI4),
    anyMode<WHidIbmM4>(kIfIbmM4),
    anyMode<WHidAld>(kIfAld),
    anyMode<WSpooler>(kIfSpooler),
    {kIfIbmDll, {make<WIBMDLL>, make<WIBMDLLA>, nullptr, nullptr}, nullptr},
    anyMode<WHPRDH>(kIfHprdh),
    anyMode<WKvbsdh>(kIfKvbsdh),
    anyMode<WKvbslm>(kIfKvbslm),
    anyMode<WEbapi>(kIfEbapi),
};

} // namespace

std::unique_ptr<WPort> newPort(int type, int mode) {
    for (const Row &row : kRows) {
        if (row.type != type)
            continue;
        Maker maker = (mode >= 0 && mode < 4) ? row.modes[mode] : row.other;
        return std::unique_ptr<WPort>(maker != nullptr ? maker() : nullptr);
    }
    return nullptr;
}

std::unique_ptr<WPort> openPort(const Target &target, const char *text, int mode) {
    std::unique_ptr<WPort> port = newPort(target.type, mode);
    if (port == nullptr)
        return nullptr;
    if (target.type == kIfFile)
        port->setName(text != nullptr ? text : "");
    if (target.portNo != -1)
        port->setPortNo(target.portNo);
    if (target.subType != -1)
        port->setSubType(target.subType);
    if ((static_cast<uint32_t>(target.type) & kIfNetworkBit) && port->setAddress(target.address) > 0)
        return nullptr;
    return port;
}

} // namespace ptl
