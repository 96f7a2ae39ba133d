// Resetting the whole simulated machine.
#include "win32sim/machine.h"

#include "sim_state.h"

namespace win32sim {

void ResetMachine() {
    detail::ResetHandles();
    detail::ResetModules();
    detail::ResetDevices();
    detail::ResetNamedObjects();
    detail::ResetMessageBoxes();
    detail::ResetFiles();
    detail::ResetClock();
    detail::ResetLocale();
}

} // namespace win32sim
