// Modal loops: the program's other windows are disabled while a modal form runs, and enabled
// again after, its owner active again.
#include "../internal.h"

#include <algorithm>
#include <vector>

namespace toolkit_detail {
namespace {

struct ModalFrame {
    TCustomForm* form = nullptr;
    HWND owner = nullptr;
    std::vector<HWND> disabled;
};

// Nested modal forms stand one above the other.
std::vector<ModalFrame>& Frames() {
    static std::vector<ModalFrame> frames;
    return frames;
}

std::vector<ModalFrame>::iterator FrameOf(const TCustomForm& form) {
    auto& f = Frames();
    return std::find_if(f.begin(), f.end(), [&](const ModalFrame& x) { return x.form == &form; });
}

struct DisableScope {
    HWND modal;
    std::vector<HWND>* disabled;
};

BOOL CALLBACK DisableOther(HWND window, LPARAM param) {
    auto* scope = reinterpret_cast<DisableScope*>(param);
    if (window != scope->modal && IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        scope->disabled->push_back(window);
    }
    return TRUE;
}

} // namespace

void ModalStarting(TCustomForm& form) {
    // A frame left by a show that failed before its loop began.
    if (auto it = FrameOf(form); it != Frames().end())
        Frames().erase(it);
    ModalFrame frame;
    frame.form = &form;
    frame.owner = GetActiveWindow();
    Frames().push_back(std::move(frame));
}

void ModalStarted(TCustomForm& form) {
    const auto it = FrameOf(form);
    if (it == Frames().end())
        return;
    DisableScope scope{form.Handle(), &it->disabled};
    EnumThreadWindows(GetCurrentThreadId(), DisableOther, reinterpret_cast<LPARAM>(&scope));
}

void ModalEnded(TCustomForm& form) {
    const auto it = FrameOf(form);
    if (it == Frames().end())
        return;
    const ModalFrame frame = std::move(*it);
    Frames().erase(it);
    // Enabled before the modal form hides, so that the activation can return to the owner.
    for (HWND w : frame.disabled)
        if (IsWindow(w))
            EnableWindow(w, TRUE);
    // A window that only shows things is never given the keys, even if it had them before.
    if (frame.owner && IsWindow(frame.owner) && IsWindowVisible(frame.owner) &&
        (GetWindowLongA(frame.owner, GWL_EXSTYLE) & WS_EX_NOACTIVATE) == 0)
        SetActiveWindow(frame.owner);
}

} // namespace toolkit_detail
