// The notification-area (tray) icon with its hint, pictures and popup menu.
#pragma once

#include "toolkit/classes.h"
#include "toolkit/controls.h"

class TImageList;
class TPopupMenu;

// Which mouse action on the icon restores the main form or pops the menu up.
enum TTrayIconAction {
    imNone,
    imClick,
    imDblClick,
    imMouseDown,
    imMouseUp,
    imLeftClickUp,
    imLeftDblClick,
    imRightClickUp,
    imRightDblClick
};

// What the mouse does on the icon.
enum TTrayMouse { tmDown, tmUp, tmDblClick };

class TTrayIcon : public TComponent {
public:
    explicit TTrayIcon(TComponent* owner);
    ~TTrayIcon() override;

    // A visible icon stands in the notification area; hiding or freeing it takes it away.
    Property<bool, TTrayIcon> Visible{this, &TTrayIcon::GetVisible, &TTrayIcon::SetVisible};
    // The icon's tip.
    Property<std::string, TTrayIcon> Hint{this, &TTrayIcon::GetHint, &TTrayIcon::SetHint};
    TImageList* Icons = nullptr;
    int IconIndex = 0;
    bool Animate = false;
    int AnimateInterval = 1000;
    TTrayIconAction RestoreOn = imDblClick;
    TTrayIconAction PopupMenuOn = imRightClickUp;
    TPopupMenu* PopupMenu = nullptr;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

    // The mouse on the icon at the cursor's position: the mouse events, then the restore and
    // the popup menu as RestoreOn and PopupMenuOn say. An invisible icon receives nothing.
    void MouseAction(TMouseButton button, TTrayMouse action);
    // Shows the main form in front and makes it the foreground window.
    void Restore();

    bool GetVisible() const { return visible_; }
    void SetVisible(bool v);
    std::string GetHint() const { return hint_; }
    void SetHint(std::string v);

    const char* ClassName() const override;

private:
    bool visible_ = false;
    std::string hint_;
};
