// Layered and no-activate windows, on both presentations: user32's layering function is looked
// up at run time, because systems outside the NT family lack it; there a window stays opaque.
#include "internal.h"

namespace toolkit_detail {
namespace {

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

SetLayeredWindowAttributesFn LookUpSetLayeredWindowAttributes() {
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    if (user32 == nullptr)
        return nullptr;
    return reinterpret_cast<SetLayeredWindowAttributesFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
}

} // namespace

void SetPresentedLayered(HWND window, bool layered, COLORREF key, BYTE alpha, DWORD flags) {
    const LONG style = GetWindowLongA(window, GWL_EXSTYLE);
    if (!layered) {
        SetWindowLongA(window, GWL_EXSTYLE, style & ~LONG{WS_EX_LAYERED});
        return;
    }
    // Looked up at each call: the host's machines differ in what their user32 offers.
    const auto setLayered = LookUpSetLayeredWindowAttributes();
    // A layered window without its attributes is not drawn at all: without the function the
    // style is not set either.
    if (setLayered == nullptr)
        return;
    SetWindowLongA(window, GWL_EXSTYLE, style | LONG{WS_EX_LAYERED});
    setLayered(window, key, alpha, flags);
}

void SetPresentedNoActivate(HWND window, bool noActivate) {
    const LONG style = GetWindowLongA(window, GWL_EXSTYLE);
    const LONG wanted =
        noActivate ? style | LONG{WS_EX_NOACTIVATE} : style & ~LONG{WS_EX_NOACTIVATE};
    if (wanted != style)
        SetWindowLongA(window, GWL_EXSTYLE, wanted);
}

} // namespace toolkit_detail
