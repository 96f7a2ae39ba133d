// Panels, images and timers.
#pragma once

#include "toolkit/classes.h"
#include "toolkit/controls.h"
#include "toolkit/graphics.h"

#include <cstdint>

class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* owner);

    TBevelCut BevelOuter = bvRaised;
    TBevelCut BevelInner = bvNone;
    int BevelWidth = 1;
    int BorderWidth = 0;
    TBorderStyle BorderStyle = bsNone;

    const char* ClassName() const override;

protected:
    RECT AlignArea() const override;
};

class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);

    TPicture Picture;
    bool Center = false;
    bool Proportional = false;
    bool Stretch = false;
    bool Transparent = false;
    bool AutoSize = false;

    const char* ClassName() const override;
};

// Fires OnTimer every Interval milliseconds of the message loop's clock while Enabled.
// Enabling a disabled timer, or changing the interval, starts the interval anew.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    Property<bool, TTimer> Enabled{this, &TTimer::GetEnabled, &TTimer::SetEnabled};
    Property<unsigned, TTimer> Interval{this, &TTimer::GetInterval, &TTimer::SetInterval};
    TNotifyEvent OnTimer;

    bool GetEnabled() const { return enabled_; }
    void SetEnabled(bool v);
    unsigned GetInterval() const { return interval_; }
    void SetInterval(unsigned v);

    const char* ClassName() const override;

private:
    friend struct TimerAccess;
    void Update();
    void Fire();
    bool enabled_ = true;
    unsigned interval_ = 1000;
};
