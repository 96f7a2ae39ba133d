// The command wizard's form and handlers.
#include "cmd_wizard.h"

#include "osd.h"

TFCmdwizard* FCmdwizard = nullptr;

TFCmdwizard::TFCmdwizard(TComponent* owner) : TDialogForm(owner, KindCmdwizard, "FCmdwizard") {}

TFCmdwizard::~TFCmdwizard() {
    if (FCmdwizard == this)
        FCmdwizard = nullptr;
}
