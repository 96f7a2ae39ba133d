// Common controls: the track bar, the status bar and the page control with its tab sheets.
#include "toolkit/comctrls.h"

#include "toolkit/exceptions.h"

#include "internal.h"

#include <algorithm>

// ---- TTrackBar ----

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner) {
    TabStop = true;
    width_ = 150;
    height_ = 45;
}

void TTrackBar::SetParams(int position, int min, int max) {
    if (min != min_ || max != max_) {
        min_ = min;
        max_ = max;
        toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Look);
    }
    position = std::clamp(position, min_, max_);
    if (position == position_)
        return;
    position_ = position;
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Selection);
    if (OnChange)
        OnChange(this);
}

void TTrackBar::SetMin(int v) {
    SetParams(position_, v, std::max(v, max_));
}

void TTrackBar::SetMax(int v) {
    SetParams(position_, std::min(v, min_), v);
}

void TTrackBar::SetPosition(int v) {
    SetParams(v, min_, max_);
}

void TTrackBar::DoKeyDown(WORD& key, TShiftState) {
    switch (key) {
    case VK_LEFT:
    case VK_UP:
        SetPosition(position_ - LineSize);
        break;
    case VK_RIGHT:
    case VK_DOWN:
        SetPosition(position_ + LineSize);
        break;
    case 0x21: // Page Up
        SetPosition(position_ - PageSize);
        break;
    case 0x22: // Page Down
        SetPosition(position_ + PageSize);
        break;
    case 0x24: // Home
        SetPosition(min_);
        break;
    case 0x23: // End
        SetPosition(max_);
        break;
    default:
        break;
    }
}

const char* TTrackBar::ClassName() const {
    return "TTrackBar";
}

// ---- TStatusBar ----

TStatusPanel* TStatusPanels::Add() {
    panels_.push_back(std::make_unique<TStatusPanel>());
    return panels_.back().get();
}

TStatusPanel* TStatusPanels::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
    return panels_[static_cast<std::size_t>(index)].get();
}

void TStatusPanels::Delete(int index) {
    Items(index);
    panels_.erase(panels_.begin() + index);
}

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {
    width_ = 200;
    height_ = 19;
    SetAlign(alBottom);
}

void TStatusBar::SetSimplePanel(bool v) {
    if (v == simplePanel_)
        return;
    simplePanel_ = v;
    PanelsChanged();
}

void TStatusBar::SetSimpleText(std::string v) {
    if (v == simpleText_)
        return;
    simpleText_ = std::move(v);
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Text);
}

void TStatusBar::PanelsChanged() {
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Items);
}

std::vector<std::string> TStatusBar::ShownTexts() const {
    if (simplePanel_)
        return {simpleText_};
    std::vector<std::string> texts;
    for (int i = 0; i < Panels.Count(); ++i)
        texts.push_back(Panels.Items(i)->Text);
    return texts;
}

const char* TStatusBar::ClassName() const {
    return "TStatusBar";
}

// ---- TTabSheet ----

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
    visible_ = false;
}

TTabSheet::~TTabSheet() {
    if (pageControl_)
        pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* v) {
    if (v == pageControl_)
        return;
    if (pageControl_)
        pageControl_->RemovePage(this);
    if (v)
        v->InsertPage(this);
}

void TTabSheet::SetTabVisible(bool v) {
    if (v == tabVisible_)
        return;
    if (!v && pageControl_)
        pageControl_->TabHiding(this);
    tabVisible_ = v;
    if (pageControl_)
        toolkit_detail::ControlChanged(*pageControl_, toolkit_detail::Aspect::Items);
    if (v && pageControl_)
        pageControl_->TabShown();
}

int TTabSheet::GetPageIndex() const {
    if (!pageControl_)
        return -1;
    const auto& pages = pageControl_->pages_;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

int TTabSheet::GetTabIndex() const {
    if (!pageControl_ || !tabVisible_)
        return -1;
    int index = 0;
    for (const TTabSheet* p : pageControl_->pages_) {
        if (p == this)
            return index;
        if (p->tabVisible_)
            ++index;
    }
    return -1;
}

const char* TTabSheet::ClassName() const {
    return "TTabSheet";
}

// ---- TPageControl ----

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
    TabStop = true;
    width_ = 289;
    height_ = 193;
}

TPageControl::~TPageControl() {
    for (TTabSheet* p : pages_)
        p->pageControl_ = nullptr;
    pages_.clear();
    activePage_ = nullptr;
}

void TPageControl::PlacePage(TTabSheet* page) const {
    // The tabs' row above, a thin frame around.
    page->SetBounds(4, 24, std::max(0, GetClientWidth() - 8), std::max(0, GetClientHeight() - 28));
}

void TPageControl::BoundsChanged(bool moved, bool resized) {
    TWinControl::BoundsChanged(moved, resized);
    if (resized)
        for (TTabSheet* p : pages_)
            PlacePage(p);
}

void TPageControl::InsertPage(TTabSheet* page) {
    pages_.push_back(page);
    page->pageControl_ = this;
    page->SetVisible(false);
    page->SetParent(this);
    PlacePage(page);
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Items);
    TabShown();
}

void TPageControl::RemovePage(TTabSheet* page) {
    if (page->tabVisible_)
        TabHiding(page);
    if (activePage_ == page)
        activePage_ = nullptr;
    pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
    page->pageControl_ = nullptr;
    if (page->GetParent() == this)
        page->SetParent(nullptr);
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Items);
}

void TPageControl::TabHiding(TTabSheet* page) {
    if (page != activePage_)
        return;
    // The tab that takes the hidden one's place, or the last one.
    const int index = page->GetTabIndex();
    page->tabVisible_ = false;
    const int count = TabCount();
    SetActivePage(count == 0 ? nullptr : TabPage(std::min(index, count - 1)));
    page->tabVisible_ = true;
}

void TPageControl::TabShown() {
    if (!activePage_ && TabCount() > 0)
        SetActivePage(TabPage(0));
}

TTabSheet* TPageControl::Pages(int index) const {
    if (index < 0 || index >= PageCount())
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
    return pages_[static_cast<std::size_t>(index)];
}

int TPageControl::TabCount() const {
    return static_cast<int>(std::count_if(pages_.begin(), pages_.end(),
                                          [](const TTabSheet* p) { return p->tabVisible_; }));
}

TTabSheet* TPageControl::TabPage(int tabIndex) const {
    if (tabIndex < 0)
        return nullptr;
    int index = 0;
    for (TTabSheet* p : pages_) {
        if (!p->tabVisible_)
            continue;
        if (index == tabIndex)
            return p;
        ++index;
    }
    return nullptr;
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->pageControl_ != this)
        return;
    if (page == activePage_)
        return;
    if (activePage_)
        activePage_->SetVisible(false);
    activePage_ = page;
    if (activePage_)
        activePage_->SetVisible(true);
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Selection);
}

int TPageControl::GetActivePageIndex() const {
    return activePage_ ? activePage_->GetPageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int index) {
    SetActivePage(index >= 0 && index < PageCount() ? pages_[static_cast<std::size_t>(index)]
                                                    : nullptr);
}

int TPageControl::GetTabIndex() const {
    return activePage_ ? activePage_->GetTabIndex() : -1;
}

void TPageControl::SetTabIndex(int tabIndex) {
    if (TTabSheet* page = TabPage(tabIndex))
        SetActivePage(page);
}

void TPageControl::ClickTab(int tabIndex) {
    TTabSheet* page = TabPage(tabIndex);
    if (!GetEnabled() || !page || page == activePage_)
        return;
    SetActivePage(page);
    if (OnChange)
        OnChange(this);
}

const char* TPageControl::ClassName() const {
    return "TPageControl";
}
