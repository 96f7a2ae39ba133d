// Speed buttons: flat tool buttons that may stay down, alone or as one of a group.
#pragma once

#include "toolkit/classes.h"
#include "toolkit/controls.h"

// With GroupIndex 0 a plain button that is never down. Otherwise a click puts it down and the
// other buttons of its group (same parent and GroupIndex) up; a click on it while down puts it up
// only with AllowAllUp. Down set in code follows the same rules and fires nothing.
class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* owner);

    Property<bool, TSpeedButton> Down{this, &TSpeedButton::GetDown, &TSpeedButton::SetDown};
    int GroupIndex = 0;
    bool AllowAllUp = false;
    bool Flat = false;

    // The user's click: Down as above, then OnClick.
    void Click() override;

    bool GetDown() const { return down_; }
    void SetDown(bool v);

    const char* ClassName() const override;

private:
    bool down_ = false;
};
