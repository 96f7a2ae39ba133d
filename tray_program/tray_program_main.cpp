// The tray program's entry: the runtime with the dialogs made known to it.
#include "dialogs.h"
#include "main_form.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RegisterDialogs();
    return RunTrayProgram();
}
