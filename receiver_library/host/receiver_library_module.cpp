// The receiver access library as a simulated module: exports by name and ordinal, and entry.
#include "receiver_library_module.h"

#include "library_entry.h"
#include "varnusb.h"
#include "win32sim/modules.h"

namespace {

template <class Function>
FARPROC Address(Function* function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

} // namespace

void RegisterReceiverLibraryModule() {
    win32sim::ModuleSpec spec;
    spec.fileName = "VarnUSB.dll";
    spec.exports = {
        {"DoGetRS232Baud", 1, Address(&DoGetRS232Baud)},
        {"DoSetRS232Baud", 2, Address(&DoSetRS232Baud)},
        {"DoRS232Read", 3, Address(&DoRS232Read)},
        {"DoRS232Send", 4, Address(&DoRS232Send)},
        {"DoEEPROMWrite", 5, Address(&DoEEPROMWrite)},
        {"DoEEPROMRead", 6, Address(&DoEEPROMRead)},
        {"DoGetInDataPort", 7, Address(&DoGetInDataPort)},
        {"DoGetOutDataPort", 8, Address(&DoGetOutDataPort)},
        {"DoSetOutDataPort", 9, Address(&DoSetOutDataPort)},
        {"DoGetDataPortDirection", 10, Address(&DoGetDataPortDirection)},
        {"DoSetDataPortDirection", 11, Address(&DoSetDataPortDirection)},
        {"DoGetInfraCode", 12, Address(&DoGetInfraCode)},
    };
    spec.entry = &varnusb::LibraryInit;
    win32sim::RegisterModule(std::move(spec));
}
