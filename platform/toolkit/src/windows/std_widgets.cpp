// Buttons, check boxes and radio buttons as real BUTTON windows, the group box as a window of the
// toolkit that paints its frame, and the combo box as a real COMBOBOX. The models keep the state
// and the rules (a check box's state, radio exclusivity, the events of a pick); the windows show
// it and hand the user's clicks and picks to the models.
#include "widgets.h"

#include "toolkit/stdctrls.h"

namespace toolkit_detail::win {
namespace {

class ButtonWidget : public Widget {
public:
    ButtonWidget(TWinControl& control, Widget& parent, DWORD kind)
        : Widget(control, &parent), kind_(kind) {}

    void Create() override {
        HWND hwnd = MakeChild("BUTTON", Styles{WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | kind_, 0},
                              control_, parent_->Window(), nullptr);
        if (!hwnd)
            return;
        Attach(hwnd);
        Subclass();
        ApplyFont();
        SetWindowTextA(window_, control_.GetCaption().c_str());
        ShowCheck();
        PlaceWindow();
    }

    void Changed(Aspect what) override {
        switch (what) {
        case Aspect::Text:
            SetWindowTextA(window_, control_.GetCaption().c_str());
            break;
        case Aspect::Selection:
            ShowCheck();
            break;
        default:
            Widget::Changed(what);
            break;
        }
    }

private:
    void ShowCheck() {
        WPARAM check = BST_UNCHECKED;
        if (const auto* box = dynamic_cast<const TCheckBox*>(&control_))
            check = box->GetState() == cbChecked  ? BST_CHECKED
                    : box->GetState() == cbGrayed ? BST_INDETERMINATE
                                                  : BST_UNCHECKED;
        else if (const auto* radio = dynamic_cast<const TRadioButton*>(&control_))
            check = radio->GetChecked() ? BST_CHECKED : BST_UNCHECKED;
        else
            return;
        SendMessageA(window_, BM_SETCHECK, check, 0);
    }

    DWORD kind_;
};

class GroupBoxWidget : public Widget {
public:
    explicit GroupBoxWidget(TGroupBox& group, Widget& parent) : Widget(group, &parent) {}

    void Create() override {
        RegisterWidgetClass("TGroupBox");
        HWND hwnd = MakeChild("TGroupBox", Styles{WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0},
                              control_, parent_->Window(), this);
        if (!hwnd)
            return;
        Attach(hwnd);
        PlaceWindow();
    }
    bool Container() const override { return true; }
};

// The list's height below the box: room for DropDownCount items.
int DroppedHeight(const TComboBox& combo) {
    return combo.GetHeight() + combo.DropDownCount * (combo.GetHeight() - 6) + 2;
}

bool IsCaretKey(WPARAM key) {
    return key == VK_LEFT || key == VK_RIGHT || key == VK_HOME || key == VK_END;
}

class ComboWidget : public Widget {
public:
    ComboWidget(TComboBox& combo, Widget& parent) : Widget(combo, &parent), combo_(combo) {}
    ~ComboWidget() override { ReleaseEdit(); }

    void Create() override {
        const DWORD kind = combo_.GetStyle() == csDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN;
        const Styles s =
            ChildStyles(WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL | kind, bsNone, combo_.Ctl3D);
        HWND hwnd = MakeChild("COMBOBOX", s, combo_, parent_->Window(), nullptr);
        if (!hwnd)
            return;
        Attach(hwnd);
        Subclass();
        ApplyFont();
        SendMessageA(window_, CB_LIMITTEXT, static_cast<WPARAM>(combo_.GetMaxLength()), 0);
        TakeEdit();
        FillItems();
        Place();
    }

    void Changed(Aspect what) override {
        switch (what) {
        case Aspect::Items:
            FillItems();
            break;
        case Aspect::Selection:
        case Aspect::Text:
            Show();
            break;
        case Aspect::Style:
            Recreate();
            break;
        case Aspect::Look:
            if ((SendMessageA(window_, CB_GETDROPPEDSTATE, 0, 0) != 0) != combo_.GetDroppedDown())
                SendMessageA(window_, CB_SHOWDROPDOWN, combo_.GetDroppedDown() ? TRUE : FALSE, 0);
            break;
        case Aspect::Bounds:
        case Aspect::Visible:
        case Aspect::Enabled:
            Place();
            break;
        default:
            Widget::Changed(what);
            break;
        }
    }

    void Notified(WORD code) override {
        if (code == CBN_DROPDOWN || code == CBN_CLOSEUP) {
            const bool open = code == CBN_DROPDOWN;
            if (open != combo_.GetDroppedDown())
                Guard(&combo_, [&] { combo_.SetDroppedDown(open); });
            return;
        }
        if (syncing_)
            return;
        if (code == CBN_SELCHANGE) {
            const int index = static_cast<int>(SendMessageA(window_, CB_GETCURSEL, 0, 0));
            Guard(&combo_, [&] { combo_.PickItem(index); });
        } else if (code == CBN_EDITCHANGE) {
            const std::string text = WindowText();
            Guard(&combo_, [&] { combo_.TypeText(text); });
        }
    }

private:
    void Place() {
        PlaceWindow();
        MoveWindow(window_, combo_.GetLeft(), combo_.GetTop(), combo_.GetWidth(),
                   DroppedHeight(combo_), TRUE);
    }

    // The edit part's keys go to the model as the combo's own (OnKeyPress, the typing rules);
    // the caret keys move its caret too.
    void TakeEdit() {
        edit_ = combo_.GetStyle() == csDropDownList ? nullptr : GetWindow(window_, GW_CHILD);
        if (!edit_)
            return;
        SetWindowLongPtrA(edit_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        editOriginal_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc)));
    }

    void ReleaseEdit() {
        if (edit_ && IsWindow(edit_)) {
            SetWindowLongPtrA(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editOriginal_));
            SetWindowLongPtrA(edit_, GWLP_USERDATA, 0);
        }
        edit_ = nullptr;
    }

    static LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ComboWidget*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (!self || !IsKeyMessage(message))
            return CallWindowProcA(self ? self->editOriginal_ : DefWindowProcA, hwnd, message,
                                   wParam, lParam);
        LRESULT result = 0;
        self->Widget::Message(message, wParam, lParam, result);
        if ((message == WM_KEYDOWN || message == WM_KEYUP) && IsCaretKey(wParam))
            return CallWindowProcA(self->editOriginal_, hwnd, message, wParam, lParam);
        return result;
    }

    void Recreate() {
        ReleaseEdit();
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        DestroyWindow(window_);
        window_ = nullptr;
        original_ = nullptr;
        Create();
    }

    std::string WindowText() const {
        const int n = GetWindowTextLengthA(window_);
        std::string text(static_cast<std::size_t>(n) + 1, '\0');
        const int got = GetWindowTextA(window_, text.data(), n + 1);
        text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
        return text;
    }

    void FillItems() {
        syncing_ = true;
        SendMessageA(window_, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : combo_.Items)
            SendMessageA(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        syncing_ = false;
        Show();
    }

    void Show() {
        syncing_ = true;
        SendMessageA(window_, CB_SETCURSEL, static_cast<WPARAM>(combo_.GetItemIndex()), 0);
        if (combo_.GetStyle() != csDropDownList && WindowText() != combo_.GetText()) {
            SetWindowTextA(window_, combo_.GetText().c_str());
            // The model types at the end: the caret stands there.
            const int end = static_cast<int>(combo_.GetText().size());
            SendMessageA(window_, CB_SETEDITSEL, 0, MAKELPARAM(end, end));
        }
        syncing_ = false;
    }

    TComboBox& combo_;
    bool syncing_ = false;
    HWND edit_ = nullptr;
    WNDPROC editOriginal_ = nullptr;
};

} // namespace

std::unique_ptr<Widget> MakeStdWidget(TWinControl& control, Widget& parent) {
    if (auto* button = dynamic_cast<TButton*>(&control))
        return std::make_unique<ButtonWidget>(
            control, parent,
            static_cast<DWORD>(button->Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
    // The box stands right of its caption with taLeftJustify.
    if (auto* box = dynamic_cast<TCheckBox*>(&control))
        return std::make_unique<ButtonWidget>(
            control, parent,
            static_cast<DWORD>((box->AllowGrayed ? BS_3STATE : BS_CHECKBOX) |
                               (box->Alignment == taLeftJustify ? BS_LEFTTEXT : 0)));
    if (auto* radio = dynamic_cast<TRadioButton*>(&control))
        return std::make_unique<ButtonWidget>(
            control, parent,
            static_cast<DWORD>(BS_RADIOBUTTON |
                               (radio->Alignment == taLeftJustify ? BS_LEFTTEXT : 0)));
    if (auto* group = dynamic_cast<TGroupBox*>(&control))
        return std::make_unique<GroupBoxWidget>(*group, parent);
    if (auto* combo = dynamic_cast<TComboBox*>(&control))
        return std::make_unique<ComboWidget>(*combo, parent);
    return nullptr;
}

} // namespace toolkit_detail::win
