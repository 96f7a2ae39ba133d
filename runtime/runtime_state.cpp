// The main program's run-time state and the data module's start and end.
#include "runtime_state.h"

#include <algorithm>
#include <iterator>

namespace {
template <std::size_t N>
void CopyRows(TKeyword (&to)[N], const TKeyword (&from)[N]) {
    std::copy(std::begin(from), std::end(from), std::begin(to));
}
} // namespace

TRuntimeState::TRuntimeState() {
    CopyRows(FAVORITE, BuiltinFAVORITE);
    CopyRows(RCMODE, BuiltinRCMODE);
    CopyRows(CMDTYPE, BuiltinCMDTYPE);
    CopyRows(MOUSEVENT, BuiltinMOUSEVENT);
    CopyRows(INTOPERATION, BuiltinINTOPERATION);
    CopyRows(TXTOPERATION, BuiltinTXTOPERATION);
    CopyRows(VKEY, BuiltinVKEY);
    CopyRows(CONDITIONS, BuiltinCONDITIONS);
    CopyRows(TIMERMODE, BuiltinTIMERMODE);
    CopyRows(VOLSETTINGS, BuiltinVOLSETTINGS);
    CopyRows(INPUTFORMAT, BuiltinINPUTFORMAT);
    CopyRows(PLTYPE, BuiltinPLTYPE);
}

TRuntimeState Runtime;

void ResetRuntimeState() {
    Runtime = TRuntimeState();
}

void InitDefaultData() {
    Runtime.ComboTimeout = DisplayTime;
    Runtime.language = "";
}

void FreeDefaultData() {
    std::string().swap(Runtime.language);
}
