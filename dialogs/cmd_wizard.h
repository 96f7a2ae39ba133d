// The command wizard: composes one command step by step into the settings dialog's command grid.
#pragma once

#include "dialog_forms.h"

#include <toolkit.h>

class TFCmdwizard : public TDialogForm {
public:
    explicit TFCmdwizard(TComponent* owner);
    ~TFCmdwizard() override;

    const char* ClassName() const override { return "TFCmdwizard"; }
};

extern TFCmdwizard* FCmdwizard;
