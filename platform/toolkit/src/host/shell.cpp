// Host presentation of the shell pieces: timers run on the loop's virtual clock; the tray icon
// and modal loops have nothing to show on the simulated desktop.
#include "../internal.h"

namespace toolkit_detail {

void PresentTimerStart(TTimer* timer, unsigned interval) {
    ScheduleTimer(timer, interval);
}

void PresentTimerStop(TTimer* timer) {
    UnscheduleTimer(timer);
}

// Tests drive the icon through toolkitsim::TrayMouse.
void PresentTrayIcon(TTrayIcon&) {}

void RemoveTrayIcon(TTrayIcon&) {}

void ModalStarting(TCustomForm&) {}

void ModalEnded(TCustomForm&) {}

} // namespace toolkit_detail
