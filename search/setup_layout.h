// The search window's position and size in config.ini, and its translation.
#pragma once

#include <toolkit.h>

// load: the language name, the window's bounds from section FSetup, and the translation of the
// window from the language file; otherwise the window's bounds are saved. A save that cannot
// be written is given up, so that the window still closes. Nothing stays open.
void ReadWriteFormLayout(TForm& form, bool load);
