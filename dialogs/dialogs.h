// The tray program's dialogs, made known to the runtime's window manager.
#pragma once

// Registers how the settings dialog and the two wizards are made; the program calls it once at
// start-up, before the runtime runs.
void RegisterDialogs();
