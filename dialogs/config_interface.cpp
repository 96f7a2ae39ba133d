// The interface page: the on-screen windows' settings with their live preview.
#include "config_form.h"

void TFConfig::FillInterfacePage() {}
void TFConfig::chbConstTimeClick(TObject*) {}
void TFConfig::trbTimeSizeChange(TObject*) {}
void TFConfig::trbTxtSizeChange(TObject*) {}
void TFConfig::trbBarSizeChange(TObject*) {}
void TFConfig::panTimeColorDblClick(TObject*) {}
void TFConfig::chbCmdTextClick(TObject*) {}
void TFConfig::chbTimerSoundClick(TObject*) {}
void TFConfig::chbRegionsClick(TObject*) {}
void TFConfig::chbAnimationClick(TObject*) {}
void TFConfig::chbInfoBackGroundClick(TObject*) {}
void TFConfig::chbAlphaClick(TObject*) {}
void TFConfig::trbAlphaChange(TObject*) {}
