// How the runtime's window manager makes each dialog kind.
#include "dialogs.h"

#include "cmd_wizard.h"
#include "config_form.h"
#include "func_wizard.h"
#include "osd.h"

void RegisterDialogs() {
    RegisterDialogKind(KindConfig, [](TComponent* owner) -> TDialogForm* {
        return FConfig = new TFConfig(owner);
    });
    RegisterDialogKind(KindCmdwizard, [](TComponent* owner) -> TDialogForm* {
        return FCmdwizard = new TFCmdwizard(owner);
    });
    RegisterDialogKind(KindFuncwizard, [](TComponent* owner) -> TDialogForm* {
        return FFuncwizard = new TFFuncwizard(owner);
    });
}
