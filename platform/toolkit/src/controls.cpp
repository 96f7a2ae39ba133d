// Controls: bounds with constraints and alignment, fonts that follow the parent, focus and keys.
#include "toolkit/controls.h"

#include "toolkit/exceptions.h"
#include "toolkit/forms.h"

#include "internal.h"

#include <algorithm>

// ---- TControl ----

TControl::TControl(TComponent* owner) : TComponent(owner) {
    Font.OnChange = [this](TObject*) { FontChangedByUser(); };
}

TControl::~TControl() {
    toolkit_detail::ControlGone(*this);
    if (parent_)
        parent_->RemoveControl(this);
}

void TControl::BeforeDestruction() {
    // Its window goes while the whole object still stands.
    toolkit_detail::ControlGone(*this);
}

void TControl::FontChangedByUser() {
    if (!fontSync_)
        parentFont_ = false;
    FontChanged();
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Font);
}

void TControl::TakeParentFont() {
    if (!parent_ || !parentFont_)
        return;
    fontSync_ = true;
    Font.Assign(parent_->Font);
    fontSync_ = false;
}

void TControl::TakeParentColor() {
    if (!parent_ || !parentColor_ || color_ == parent_->color_)
        return;
    color_ = parent_->color_;
    ColorChanged();
}

void TControl::SetParentColor(bool v) {
    parentColor_ = v;
    if (v)
        TakeParentColor();
}

void TControl::SetColor(TColor v) {
    parentColor_ = false;
    if (v == color_)
        return;
    color_ = v;
    ColorChanged();
}

void TControl::ColorChanged() {
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Color);
}

void TControl::SetEnabled(bool v) {
    if (v == enabled_)
        return;
    enabled_ = v;
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Enabled);
}

void TControl::Repaint() {
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Look);
}

void TControl::Invalidate() {
    Repaint();
}

void TControl::Refresh() {
    Repaint();
}

void TControl::SetParentFont(bool v) {
    parentFont_ = v;
    if (v)
        TakeParentFont();
}

bool TControl::CanResize(int&, int&) {
    return true;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (width != width_ || height != height_) {
        if (!CanResize(width, height)) {
            width = width_;
            height = height_;
        }
        const TSizeConstraints& c = Constraints;
        if (c.MaxWidth > 0 && width > c.MaxWidth)
            width = c.MaxWidth;
        if (c.MinWidth > 0 && width < c.MinWidth)
            width = c.MinWidth;
        if (c.MaxHeight > 0 && height > c.MaxHeight)
            height = c.MaxHeight;
        if (c.MinHeight > 0 && height < c.MinHeight)
            height = c.MinHeight;
    }
    const bool moved = left != left_ || top != top_;
    const bool resized = width != width_ || height != height_;
    if (!moved && !resized)
        return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    BoundsChanged(moved, resized);
}

void TControl::BoundsChanged(bool, bool resized) {
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Bounds);
    if (parent_ && align_ != alNone && !parent_->aligning_)
        parent_->AlignControls();
    if (resized && OnResize)
        OnResize(this);
}

int TControl::GetClientWidth() const {
    return width_ - FrameWidth();
}

void TControl::SetClientWidth(int v) {
    SetWidth(v + FrameWidth());
}

int TControl::GetClientHeight() const {
    return height_ - FrameHeight();
}

void TControl::SetClientHeight(int v) {
    SetHeight(v + FrameHeight());
}

void TControl::SetVisible(bool v) {
    if (v == visible_)
        return;
    visible_ = v;
    if (parent_ && align_ != alNone)
        parent_->AlignControls();
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Visible);
}

void TControl::Show() {
    SetVisible(true);
}

void TControl::Hide() {
    SetVisible(false);
}

void TControl::BringToFront() {
    if (!parent_)
        return;
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.push_back(this);
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Look);
}

void TControl::SetAlign(TAlign v) {
    if (v == align_)
        return;
    align_ = v;
    if (parent_)
        parent_->AlignControls();
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_)
        return;
    if (parent == this)
        throw EInvalidOperation("A control cannot have itself as its parent");
    if (parent_)
        parent_->RemoveControl(this);
    parent_ = parent;
    if (parent_) {
        parent_->InsertControl(this);
        TakeParentFont();
        TakeParentColor();
        parent_->AlignControls();
    }
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Parent);
}

void TControl::SetCaption(std::string v) {
    if (v == caption_)
        return;
    caption_ = std::move(v);
    TextChanged();
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Text);
}

TCustomForm* TControl::GetParentForm() const {
    const TControl* c = this;
    while (c->parent_)
        c = c->parent_;
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

void TControl::Click() {
    if (enabled_ && OnClick)
        OnClick(this);
}

void TControl::DblClick() {
    if (enabled_ && OnDblClick)
        OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (Application)
        Application->Hint = Hint;
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

const char* TControl::ClassName() const {
    return "TControl";
}

const char* TGraphicControl::ClassName() const {
    return "TGraphicControl";
}

// ---- TWinControl ----

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    // The controls on it are deleted by their owner later; they must not come back here.
    for (TControl* c : controls_)
        c->parent_ = nullptr;
    controls_.clear();
}

int TWinControl::ControlCount() const {
    return static_cast<int>(controls_.size());
}

TControl* TWinControl::Controls(int index) const {
    if (index < 0 || index >= ControlCount())
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
    return controls_[static_cast<std::size_t>(index)];
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
}

void TWinControl::RemoveControl(TControl* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    if (TCustomForm* form = GetParentForm()) {
        const TWinControl* active = form->GetActiveControl();
        for (const TControl* c = active; c; c = c->GetParent())
            if (c == control) {
                form->SetActiveControl(nullptr);
                break;
            }
    }
    AlignControls();
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->GetParent()) {
        if (dynamic_cast<const TCustomForm*>(c))
            return true;
        if (!c->GetVisible() || !c->GetEnabled())
            return false;
    }
    return false;
}

void TWinControl::SetFocus() {
    TCustomForm* form = GetParentForm();
    if (!form || !CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    if (form != this)
        form->SetActiveControl(this);
}

bool TWinControl::Focused() const {
    const TCustomForm* form = GetParentForm();
    return form && form->GetActiveControl() == this;
}

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
    TShiftState s = shift;
    if (OnKeyDown)
        OnKeyDown(this, key, s);
    if (key != 0)
        DoKeyDown(key, shift);
    // The control's own handling may have moved its caret or selection.
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Selection);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
    TShiftState s = shift;
    if (OnKeyUp)
        OnKeyUp(this, key, s);
}

void TWinControl::KeyPress(char& key) {
    if (OnKeyPress)
        OnKeyPress(this, key);
    if (key != 0)
        DoKeyPress(key);
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Selection);
}

RECT TWinControl::AlignArea() const {
    return RECT{0, 0, GetClientWidth(), GetClientHeight()};
}

void TWinControl::AlignControls() {
    if (aligning_)
        return;
    aligning_ = true;
    RECT r = AlignArea();
    const auto place = [&](TAlign which) {
        for (TControl* c : controls_) {
            if (c->GetAlign() != which || !c->GetVisible())
                continue;
            const int w = c->GetWidth();
            const int h = c->GetHeight();
            const int areaW = std::max<int>(0, r.right - r.left);
            const int areaH = std::max<int>(0, r.bottom - r.top);
            switch (which) {
            case alTop:
                c->SetBounds(r.left, r.top, areaW, h);
                r.top += c->GetHeight();
                break;
            case alBottom:
                c->SetBounds(r.left, r.bottom - h, areaW, h);
                r.bottom -= c->GetHeight();
                break;
            case alLeft:
                c->SetBounds(r.left, r.top, w, areaH);
                r.left += c->GetWidth();
                break;
            case alRight:
                c->SetBounds(r.right - w, r.top, w, areaH);
                r.right -= c->GetWidth();
                break;
            case alClient:
                c->SetBounds(r.left, r.top, areaW, areaH);
                break;
            case alNone:
                break;
            }
        }
    };
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient})
        place(a);
    aligning_ = false;
}

void TWinControl::BoundsChanged(bool moved, bool resized) {
    TControl::BoundsChanged(moved, resized);
    if (resized)
        AlignControls();
}

void TWinControl::FontChanged() {
    for (TControl* c : controls_)
        if (c->GetParentFont())
            c->TakeParentFont();
}

void TWinControl::ColorChanged() {
    TControl::ColorChanged();
    for (TControl* c : controls_)
        c->TakeParentColor();
}

void TWinControl::ScaleBy(int m, int d) {
    if (d == 0)
        return;
    const auto scale = [&](int v) { return static_cast<int>(static_cast<long long>(v) * m / d); };
    ScaleContents(m, d);
    for (TControl* c : controls_) {
        if (auto* w = dynamic_cast<TWinControl*>(c))
            w->ScaleBy(m, d);
        else if (!c->GetParentFont())
            c->Font.SetHeight(scale(c->Font.GetHeight()));
        c->SetBounds(scale(c->GetLeft()), scale(c->GetTop()), scale(c->GetWidth()),
                     scale(c->GetHeight()));
    }
    if (!GetParentFont() || !GetParent())
        Font.SetHeight(scale(Font.GetHeight()));
    if (!GetParent())
        SetBounds(GetLeft(), GetTop(), scale(GetWidth()), scale(GetHeight()));
}

const char* TWinControl::ClassName() const {
    return "TWinControl";
}

const char* TCustomControl::ClassName() const {
    return "TCustomControl";
}
