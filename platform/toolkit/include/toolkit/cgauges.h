// The gauge: a bar showing a progress value between a minimum and a maximum.
#pragma once

#include "toolkit/controls.h"

enum TCGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };

class TCGauge : public TGraphicControl {
public:
    explicit TCGauge(TComponent* owner);

    // Kept within MinValue .. MaxValue.
    Property<int, TCGauge> Progress{this, &TCGauge::GetProgress, &TCGauge::SetProgress};
    int MinValue = 0;
    int MaxValue = 100;
    TColor ForeColor = clBlack;
    TColor BackColor = clWhite;
    TBorderStyle BorderStyle = bsSingle;
    TCGaugeKind Kind = gkHorizontalBar;
    bool ShowText = true;

    int GetProgress() const { return progress_; }
    void SetProgress(int v);
    // Progress as a whole percentage of the range (0 for an empty range).
    int PercentDone() const;

    const char* ClassName() const override;

private:
    int progress_ = 0;
};

using TGauge = TCGauge;
