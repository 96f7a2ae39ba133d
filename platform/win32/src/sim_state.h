// Private to the host simulation: the reset hooks of its pieces.
#pragma once

namespace win32sim::detail {
void ResetFiles();
void ResetProgramPath(); // called by ResetFiles
void ResetClock();
void ResetLocale();
void ResetHandles();
void ResetModules();
void ResetDesktop();
void ResetRegions();
void ResetGlobalMemory();
} // namespace win32sim::detail
