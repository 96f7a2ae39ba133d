// The settings dialog as a whole: opening, page changes, OK, Cancel, closing and moving.
#include "config_form.h"

TFConfig* FConfig = nullptr;

TFConfig::~TFConfig() {
    if (FConfig == this)
        FConfig = nullptr;
}

void TFConfig::FormCreate(TObject*) {}
void TFConfig::FormClose(TObject* sender, TCloseAction& action) {
    TConfigDialog::FormClose(sender, action);
}
void TFConfig::FinalClose() {}
void TFConfig::FormMouseDown(TObject*, TMouseButton, TShiftState, int, int) {}
void TFConfig::FormMouseMove(TObject*, TShiftState, int, int) {}
void TFConfig::FormMouseUp(TObject*, TMouseButton, TShiftState, int, int) {}
void TFConfig::FormResize(TObject*) {}
void TFConfig::pcConfigChange(TObject*) {}
int TFConfig::CurrentPage() const {
    return 0;
}
void TFConfig::btnOkClick(TObject*) {}
void TFConfig::btnCancelClick(TObject*) {}
void TFConfig::btnAddClick(TObject*) {}
void TFConfig::btnDelClick(TObject*) {}
void TFConfig::btnDefaultClick(TObject*) {}
void TFConfig::ApplicationEventsHint(TObject*) {}
void TFConfig::ReleasePreviews() {}
