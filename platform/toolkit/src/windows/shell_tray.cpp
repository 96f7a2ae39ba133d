// The tray icon in the notification area: Shell_NotifyIconA with the hidden window as the target
// of its callback message, mouse actions handed to the model, re-added when the taskbar returns.
#include "../internal.h"
#include "shell.h"

#include "toolkit/imglist.h"
#include "toolkit/trayicon.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace toolkit_detail {
namespace {

struct TrayEntry {
    TTrayIcon* icon = nullptr;
    shell::TrayIconState state;
    HICON made = nullptr; // the picture made from the image list, destroyed with the entry
};

std::vector<TrayEntry>& Entries() {
    static std::vector<TrayEntry> entries;
    return entries;
}

TrayEntry* Find(const TTrayIcon& icon) {
    auto& e = Entries();
    const auto it =
        std::find_if(e.begin(), e.end(), [&](const TrayEntry& x) { return x.icon == &icon; });
    return it == e.end() ? nullptr : &*it;
}

// The program's icon resource 1, small; the system's application icon when it has none.
HICON ProgramIcon() {
    static const HICON icon = [] {
        HANDLE loaded = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), IMAGE_ICON,
                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                   LR_DEFAULTCOLOR | LR_SHARED);
        if (!loaded)
            loaded = LoadIconA(nullptr, MAKEINTRESOURCEA(32512)); // IDI_APPLICATION
        return static_cast<HICON>(loaded);
    }();
    return icon;
}

// The first version of the structure, which every shell accepts: a tip of 63 characters.
NOTIFYICONDATAA Data(const TTrayIcon& icon, const shell::TrayIconState& state) {
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof(data));
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = state.window;
    data.uID = state.id;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = shell::kTrayCallback;
    data.hIcon = state.picture;
    const std::string tip = icon.Hint;
    std::strncpy(data.szTip, tip.c_str(), 63);
    data.szTip[63] = '\0';
    return data;
}

void Notify(TrayEntry& entry, DWORD message) {
    NOTIFYICONDATAA data = Data(*entry.icon, entry.state);
    entry.state.lastResult = Shell_NotifyIconA(message, &data);
    if (message == NIM_ADD)
        entry.state.shown = entry.state.lastResult != FALSE;
    else if (message == NIM_DELETE)
        entry.state.shown = false;
}

// An icon left behind by a program that ended stays until the mouse passes over it.
void RemoveAllAtExit() {
    for (TrayEntry& e : Entries())
        if (e.state.shown)
            Notify(e, NIM_DELETE);
}

// Mouse messages of the callback as the model's button and action.
struct MouseMapping {
    UINT message;
    TMouseButton button;
    TTrayMouse action;
};
constexpr MouseMapping kMouse[] = {
    {WM_LBUTTONDOWN, mbLeft, tmDown},
    {WM_LBUTTONUP, mbLeft, tmUp},
    {WM_LBUTTONDBLCLK, mbLeft, tmDblClick},
    {WM_RBUTTONDOWN, mbRight, tmDown},
    {WM_RBUTTONUP, mbRight, tmUp},
    {WM_RBUTTONDBLCLK, mbRight, tmDblClick},
    {WM_MBUTTONDOWN, mbMiddle, tmDown},
    {WM_MBUTTONUP, mbMiddle, tmUp},
    {WM_MBUTTONDBLCLK, mbMiddle, tmDblClick},
};

} // namespace

void PresentTrayIcon(TTrayIcon& icon) {
    TrayEntry* entry = Find(icon);
    if (!entry) {
        static UINT nextId = 1;
        static const bool cleanup = std::atexit(RemoveAllAtExit) == 0;
        (void)cleanup;
        TrayEntry e;
        e.icon = &icon;
        e.state.window = shell::NotifyWindow();
        e.state.id = nextId++;
        Entries().push_back(e);
        entry = &Entries().back();
    }
    // The image list's picture of the icon's index; the program's icon while it has none.
    const HICON previous = entry->made;
    entry->made = nullptr;
    if (icon.Icons && icon.IconIndex >= 0 && icon.IconIndex < icon.Icons->Count())
        entry->made = shell::ImageIcon(icon.Icons->Images(icon.IconIndex));
    entry->state.picture = entry->made ? entry->made : ProgramIcon();
    // An icon the shell refused (no taskbar yet) is offered again.
    Notify(*entry, entry->state.shown ? NIM_MODIFY : NIM_ADD);
    if (previous)
        DestroyIcon(previous);
}

void RemoveTrayIcon(TTrayIcon& icon) {
    TrayEntry* entry = Find(icon);
    if (!entry)
        return;
    if (entry->state.shown)
        Notify(*entry, NIM_DELETE);
    if (entry->made)
        DestroyIcon(entry->made);
    auto& e = Entries();
    e.erase(e.begin() + (entry - e.data()));
}

LRESULT shell::OnTrayCallback(UINT id, UINT mouseMessage) {
    const auto& e = Entries();
    const auto entry =
        std::find_if(e.begin(), e.end(), [&](const TrayEntry& x) { return x.state.id == id; });
    if (entry == e.end())
        return 0;
    TTrayIcon* icon = entry->icon;
    for (const MouseMapping& m : kMouse)
        if (m.message == mouseMessage)
            Guard(icon, [&] { icon->MouseAction(m.button, m.action); });
    return 0;
}

// The shell started anew (Explorer restarted) and knows none of the icons.
LRESULT shell::OnTaskbarCreated() {
    for (TrayEntry& e : Entries())
        Notify(e, NIM_ADD);
    return 0;
}

shell::TrayIconState shell::TrayIconStateOf(const TTrayIcon& icon) {
    const TrayEntry* entry = Find(icon);
    return entry ? entry->state : TrayIconState{};
}

} // namespace toolkit_detail
