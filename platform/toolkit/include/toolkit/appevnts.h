// Application events as a component: a form's handlers for the application's hint and activation.
#pragma once

#include "toolkit/classes.h"

class TApplicationEvents : public TComponent {
public:
    explicit TApplicationEvents(TComponent* owner);
    ~TApplicationEvents() override;

    TNotifyEvent OnHint;
    TNotifyEvent OnActivate;
    // The program's windows lost the foreground to another program's window (or to none).
    TNotifyEvent OnDeactivate;

    const char* ClassName() const override;
};
