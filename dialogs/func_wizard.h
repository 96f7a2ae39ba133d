// The function wizard: binds remote buttons to a command in the settings dialog's function grid.
#pragma once

#include "dialog_forms.h"

#include <toolkit.h>

class TFFuncwizard : public TDialogForm {
public:
    explicit TFFuncwizard(TComponent* owner);
    ~TFFuncwizard() override;

    const char* ClassName() const override { return "TFFuncwizard"; }
};

extern TFFuncwizard* FFuncwizard;
