// The code page: the code grid, learning codes from the receiver, Add, Del and Default.
#include "config_form.h"

void TFConfig::vleCodeDblClick(TObject*) {}
void TFConfig::vleFunctionStringsChange(TObject*) {}
void TFConfig::btnReconfigClick(TObject*) {}
void TFConfig::AddCode() {}
void TFConfig::DeleteCode() {}
void TFConfig::DefaultCodes() {}

std::int32_t CodeTableToGrid() {
    return 0;
}
std::int32_t GridToCodeTable() {
    return 0;
}
