// Resetting the whole simulated machine.
#include "win32sim/machine.h"

#include "sim_state.h"

namespace win32sim {

void ResetMachine() {
    // Processes first: their windows go with the desktop.
    detail::ResetProcesses();
    detail::ResetHandles();
    detail::ResetModules();
    detail::ResetDevices();
    detail::ResetNamedObjects();
    detail::ResetMessageBoxes();
    detail::ResetExceptions();
    detail::ResetCommandLine();
    detail::ResetFiles();
    detail::ResetClock();
    detail::ResetLocale();
    detail::ResetDesktop();
    detail::ResetRegions();
    detail::ResetGlobalMemory();
    detail::ResetSystem();
    detail::ResetMultimedia();
}

} // namespace win32sim
