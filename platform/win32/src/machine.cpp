// Resetting the whole simulated machine.
#include "win32sim/machine.h"

#include "sim_state.h"

namespace win32sim {

void ResetMachine() {
    detail::ResetHandles();
    detail::ResetModules();
    detail::ResetFiles();
    detail::ResetClock();
    detail::ResetLocale();
    detail::ResetDesktop();
    detail::ResetRegions();
    detail::ResetGlobalMemory();
}

} // namespace win32sim
