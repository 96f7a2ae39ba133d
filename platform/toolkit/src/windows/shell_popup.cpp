// Popup menus: TrackPopupMenu over the model's items, the pick clicking the item it stands for.
#include "../internal.h"

#include "shell.h"

#include "toolkit/imglist.h"
#include "toolkit/menus.h"

#include <map>
#include <vector>

namespace toolkit_detail {
namespace {

// The item's picture from the menu's image list, on the menu's own colour.
void AddPicture(HMENU menu, UINT id, const TImageList* images, int index,
                std::vector<HBITMAP>& made) {
    if (!images || index < 0 || index >= images->Count())
        return;
    HBITMAP bitmap = shell::ImageBitmap(images->Images(index), GetSysColor(COLOR_MENU));
    if (!bitmap)
        return;
    made.push_back(bitmap);
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP;
    info.hbmpItem = bitmap;
    SetMenuItemInfoA(menu, id, FALSE, &info);
}

void AppendItems(HMENU menu, TMenuItem* parent, std::map<UINT, TMenuItem*>& ids,
                 const TImageList* images, std::vector<HBITMAP>& made) {
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (!item->Visible)
            continue;
        if (item->IsLine()) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        } else if (item->Count() > 0) {
            HMENU sub = CreatePopupMenu();
            AppendItems(sub, item, ids, images, made);
            AppendMenuA(menu, MF_POPUP | (item->Enabled ? 0 : MF_GRAYED),
                        reinterpret_cast<UINT_PTR>(sub), item->Caption.c_str());
        } else {
            const UINT id = static_cast<UINT>(ids.size() + 1);
            ids[id] = item;
            AppendMenuA(menu,
                        MF_STRING | (item->Enabled ? 0 : MF_GRAYED) |
                            (item->Checked ? MF_CHECKED : 0),
                        id, item->Caption.c_str());
            if (item->Default)
                SetMenuDefaultItem(menu, id, FALSE);
            AddPicture(menu, id, images, item->ImageIndex, made);
        }
    }
}

} // namespace

void PresentPopup(TPopupMenu& menu, int x, int y) {
    HMENU popup = CreatePopupMenu();
    std::map<UINT, TMenuItem*> ids;
    std::vector<HBITMAP> pictures;
    AppendItems(popup, menu.Items(), ids, menu.Images, pictures);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    HWND owner = Application ? Application->Handle() : nullptr;
    SetForegroundWindow(owner);
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(
        popup, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
    // Lets the menu of a background window close properly the next time.
    PostMessageA(owner, WM_NULL, 0, 0);
    DestroyMenu(popup);
    for (HBITMAP b : pictures)
        DeleteObject(b);
    const auto it = ids.find(chosen);
    if (it != ids.end())
        it->second->Click();
}

} // namespace toolkit_detail
