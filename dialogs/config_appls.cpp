// The application page: the application grid, the five favourites lists, Add, Del and Default;
// and the grid helpers the other pages and the command wizard share.
#include "config_form.h"

void TFConfig::AddAppl() {}
void TFConfig::DeleteAppl() {}
void TFConfig::DefaultAppls() {}
void TFConfig::sbtnAddAudioClick(TObject*) {}
void TFConfig::sbtnDelAudioClick(TObject*) {}
void TFConfig::sbtnUpAudioClick(TObject*) {}
void TFConfig::sbtnDownAudioClick(TObject*) {}

std::int32_t ApplTableToGrid() {
    return 0;
}
std::int32_t GridToApplTable() {
    return 0;
}
void SetCmdGridTitles(TStringGrid*) {}
void SetApplGridTitles(TStringGrid*) {}
void SetFuncGridTitles(TStringGrid*) {}
void DeleteGridBlock(TStringGrid*) {}
