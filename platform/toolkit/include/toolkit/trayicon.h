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

    bool Visible = false;
    std::string Hint;
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

    const char* ClassName() const override;
};
