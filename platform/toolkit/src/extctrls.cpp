// Panels, images, timers, gauges and image lists.
#include "toolkit/extctrls.h"

#include "toolkit/cgauges.h"
#include "toolkit/exceptions.h"
#include "toolkit/imglist.h"

#include "internal.h"

#include <algorithm>

// ---- TPanel ----

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) {
    width_ = 185;
    height_ = 41;
    parentColor_ = false;
}

RECT TPanel::AlignArea() const {
    int inset = BorderWidth;
    if (BevelOuter != bvNone)
        inset += BevelWidth;
    if (BevelInner != bvNone)
        inset += BevelWidth;
    if (BorderStyle != bsNone)
        inset += 1;
    return RECT{inset, inset, std::max(inset, GetClientWidth() - inset),
                std::max(inset, GetClientHeight() - inset)};
}

const char* TPanel::ClassName() const {
    return "TPanel";
}

// ---- TImage ----

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
    width_ = 105;
    height_ = 105;
    Picture.OnChange = [this](TObject*) { Repaint(); };
}

const char* TImage::ClassName() const {
    return "TImage";
}

// ---- TTimer ----

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    Update();
}

TTimer::~TTimer() {
    toolkit_detail::StopTimer(this);
}

void TTimer::Update() {
    if (enabled_ && interval_ > 0)
        toolkit_detail::StartTimer(this, interval_);
    else
        toolkit_detail::StopTimer(this);
}

void TTimer::SetEnabled(bool v) {
    if (v == enabled_)
        return;
    enabled_ = v;
    Update();
}

void TTimer::SetInterval(unsigned v) {
    if (v == interval_)
        return;
    interval_ = v;
    Update();
}

void TTimer::Fire() {
    if (OnTimer)
        toolkit_detail::Guard(this, [this] { OnTimer(this); });
}

const char* TTimer::ClassName() const {
    return "TTimer";
}

// ---- TCGauge ----

TCGauge::TCGauge(TComponent* owner) : TGraphicControl(owner) {
    width_ = 100;
    height_ = 100;
}

void TCGauge::SetProgress(int v) {
    const int progress = std::clamp(v, MinValue, std::max(MinValue, MaxValue));
    if (progress == progress_)
        return;
    progress_ = progress;
    Repaint();
}

int TCGauge::PercentDone() const {
    const long long range = static_cast<long long>(MaxValue) - MinValue;
    if (range <= 0)
        return 0;
    return static_cast<int>((static_cast<long long>(progress_) - MinValue) * 100 / range);
}

const char* TCGauge::ClassName() const {
    return "TCGauge";
}

// ---- TImageList ----

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}

TImageList::~TImageList() {
    Clear();
}

int TImageList::Count() const {
    return static_cast<int>(images_.size());
}

int TImageList::Add(const TBitmap& image, const TBitmap*) {
    auto* copy = new TBitmap();
    copy->Assign(image);
    images_.push_back(copy);
    return Count() - 1;
}

const TBitmap& TImageList::Images(int index) const {
    if (index < 0 || index >= Count())
        throw EInvalidOperation("Invalid image index");
    return *images_[static_cast<std::size_t>(index)];
}

void TImageList::Delete(int index) {
    if (index < 0 || index >= Count())
        throw EInvalidOperation("Invalid image index");
    delete images_[static_cast<std::size_t>(index)];
    images_.erase(images_.begin() + index);
}

void TImageList::Clear() {
    for (TBitmap* b : images_)
        delete b;
    images_.clear();
}

const char* TImageList::ClassName() const {
    return "TImageList";
}
