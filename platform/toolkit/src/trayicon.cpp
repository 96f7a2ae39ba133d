// The tray icon: mouse actions on it restore the main form or pop its menu up.
#include "toolkit/trayicon.h"

#include "toolkit/forms.h"
#include "toolkit/menus.h"

#include "internal.h"

#include <utility>

namespace {

bool Matches(TTrayIconAction on, TMouseButton button, TTrayMouse action) {
    switch (on) {
    case imNone:
        return false;
    case imClick:
    case imLeftClickUp:
        return button == mbLeft && action == tmUp;
    case imDblClick:
    case imLeftDblClick:
        return button == mbLeft && action == tmDblClick;
    case imMouseDown:
        return action == tmDown;
    case imMouseUp:
        return action == tmUp;
    case imRightClickUp:
        return button == mbRight && action == tmUp;
    case imRightDblClick:
        return button == mbRight && action == tmDblClick;
    }
    return false;
}

} // namespace

TTrayIcon::TTrayIcon(TComponent* owner) : TComponent(owner) {}

TTrayIcon::~TTrayIcon() {
    if (visible_)
        toolkit_detail::RemoveTrayIcon(*this);
}

void TTrayIcon::SetVisible(bool v) {
    if (v == visible_)
        return;
    visible_ = v;
    if (v)
        toolkit_detail::PresentTrayIcon(*this);
    else
        toolkit_detail::RemoveTrayIcon(*this);
}

void TTrayIcon::SetHint(std::string v) {
    if (v == hint_)
        return;
    hint_ = std::move(v);
    if (visible_)
        toolkit_detail::PresentTrayIcon(*this);
}

void TTrayIcon::MouseAction(TMouseButton button, TTrayMouse action) {
    if (!visible_)
        return;
    POINT p{0, 0};
    GetCursorPos(&p);
    switch (action) {
    case tmDown:
        if (OnMouseDown)
            OnMouseDown(this, button, {}, p.x, p.y);
        break;
    case tmUp:
        if (OnMouseUp)
            OnMouseUp(this, button, {}, p.x, p.y);
        if (button == mbLeft && OnClick)
            OnClick(this);
        break;
    case tmDblClick:
        if (button == mbLeft && OnDblClick)
            OnDblClick(this);
        break;
    }
    if (Matches(RestoreOn, button, action))
        Restore();
    if (PopupMenu && Matches(PopupMenuOn, button, action))
        PopupMenu->Popup(p.x, p.y);
}

void TTrayIcon::Restore() {
    if (!Application || !Application->MainForm())
        return;
    TCustomForm* main = Application->MainForm();
    main->Show();
    toolkit_detail::ActivatePresented(main->Handle());
}

const char* TTrayIcon::ClassName() const {
    return "TTrayIcon";
}
