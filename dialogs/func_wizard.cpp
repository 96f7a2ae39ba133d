// The function wizard's form and handlers.
#include "func_wizard.h"

#include "osd.h"

TFFuncwizard* FFuncwizard = nullptr;

TFFuncwizard::TFFuncwizard(TComponent* owner) : TDialogForm(owner, KindFuncwizard, "FFuncwizard") {}

TFFuncwizard::~TFFuncwizard() {
    if (FFuncwizard == this)
        FFuncwizard = nullptr;
}
