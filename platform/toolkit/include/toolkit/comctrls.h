// Common controls: the track bar, the status bar and the page control with its tab sheets.
#pragma once

#include "toolkit/classes.h"
#include "toolkit/controls.h"
#include "toolkit/stdctrls.h"

#include <memory>
#include <string>
#include <vector>

enum TTrackBarOrientation { trHorizontal, trVertical };
enum TTickStyle { tsNone, tsAuto, tsManual };
enum TTickMark { tmBottomRight, tmTopLeft, tmBoth };

// Position stays within Min .. Max; every change of it, by code, by the user or by a range that
// moved under it, fires OnChange. A Min above Max takes Max along (and a Max below Min takes
// Min), so that the order in which code sets them does not matter.
class TTrackBar : public TWinControl {
public:
    explicit TTrackBar(TComponent* owner);

    Property<int, TTrackBar> Min{this, &TTrackBar::GetMin, &TTrackBar::SetMin};
    Property<int, TTrackBar> Max{this, &TTrackBar::GetMax, &TTrackBar::SetMax};
    Property<int, TTrackBar> Position{this, &TTrackBar::GetPosition, &TTrackBar::SetPosition};
    int Frequency = 1;
    int LineSize = 1;
    int PageSize = 2;
    TTrackBarOrientation Orientation = trHorizontal;
    TTickStyle TickStyle = tsAuto;
    TTickMark TickMarks = tmBottomRight;

    TNotifyEvent OnChange;

    int GetMin() const { return min_; }
    void SetMin(int v);
    int GetMax() const { return max_; }
    void SetMax(int v);
    int GetPosition() const { return position_; }
    void SetPosition(int v);

    const char* ClassName() const override;

protected:
    // Arrows by LineSize, Page Up and Page Down by PageSize, Home and End to the ends.
    void DoKeyDown(WORD& key, TShiftState shift) override;

private:
    void SetParams(int position, int min, int max);
    int min_ = 0;
    int max_ = 10;
    int position_ = 0;
};

enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusPanel {
public:
    std::string Text;
    int Width = 50;
    TAlignment Alignment = taLeftJustify;
    TStatusPanelBevel Bevel = pbLowered;
};

class TStatusPanels {
public:
    TStatusPanel* Add();
    int Count() const { return static_cast<int>(panels_.size()); }
    // Out of range throws EStringListError.
    TStatusPanel* Items(int index) const;
    void Delete(int index);
    void Clear() { panels_.clear(); }

private:
    std::vector<std::unique_ptr<TStatusPanel>> panels_;
};

// Shows SimpleText alone while SimplePanel is set, else its panels; aligned to the bottom.
// Panels are plain records: after changing them, code calls PanelsChanged.
class TStatusBar : public TWinControl {
public:
    explicit TStatusBar(TComponent* owner);

    Property<bool, TStatusBar> SimplePanel{this, &TStatusBar::GetSimplePanel,
                                           &TStatusBar::SetSimplePanel};
    Property<std::string, TStatusBar> SimpleText{this, &TStatusBar::GetSimpleText,
                                                 &TStatusBar::SetSimpleText};
    TStatusPanels Panels;
    bool SizeGrip = true;

    // What the bar shows: the simple text, or the panels' texts.
    std::vector<std::string> ShownTexts() const;

    bool GetSimplePanel() const { return simplePanel_; }
    void SetSimplePanel(bool v);
    std::string GetSimpleText() const { return simpleText_; }
    void SetSimpleText(std::string v);
    // The panels changed: the bar shows them anew.
    void PanelsChanged();

    const char* ClassName() const override;

private:
    bool simplePanel_ = false;
    std::string simpleText_;
};

class TPageControl;

// A page of a page control; its tab shows while TabVisible is set.
class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;

    // Setting it makes the sheet a page (and child) of that control, the last one.
    Property<TPageControl*, TTabSheet> PageControl{this, &TTabSheet::GetPageControl,
                                                   &TTabSheet::SetPageControl};
    Property<bool, TTabSheet> TabVisible{this, &TTabSheet::GetTabVisible,
                                         &TTabSheet::SetTabVisible};
    // Among all pages; -1 without a page control.
    ReadProperty<int, TTabSheet> PageIndex{this, &TTabSheet::GetPageIndex};
    // Among the tabs shown; -1 while the tab is hidden.
    ReadProperty<int, TTabSheet> TabIndex{this, &TTabSheet::GetTabIndex};

    TPageControl* GetPageControl() const { return pageControl_; }
    void SetPageControl(TPageControl* v);
    bool GetTabVisible() const { return tabVisible_; }
    void SetTabVisible(bool v);
    int GetPageIndex() const;
    int GetTabIndex() const;

    const char* ClassName() const override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
};

// Pages with tabs; the active page alone is visible. The first page whose tab shows becomes
// active when none is. Code that sets ActivePage, ActivePageIndex or TabIndex fires nothing;
// the user's choice of another tab fires OnChange. Hiding the active page's tab activates the
// page of the tab that takes its place (or the last tab's), without OnChange.
class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;

    Property<TTabSheet*, TPageControl> ActivePage{this, &TPageControl::GetActivePage,
                                                  &TPageControl::SetActivePage};
    // Among all pages; -1 for none. Another value activates none.
    Property<int, TPageControl> ActivePageIndex{this, &TPageControl::GetActivePageIndex,
                                                &TPageControl::SetActivePageIndex};
    // The active page's tab among the tabs shown; -1 when none (or its tab is hidden).
    Property<int, TPageControl> TabIndex{this, &TPageControl::GetTabIndex,
                                         &TPageControl::SetTabIndex};

    TNotifyEvent OnChange;

    int PageCount() const { return static_cast<int>(pages_.size()); }
    // Out of range throws EStringListError.
    TTabSheet* Pages(int index) const;
    // The number of tabs shown.
    int TabCount() const;
    // The page of a tab shown; nullptr out of range.
    TTabSheet* TabPage(int tabIndex) const;
    // The user clicks the tab (among those shown): another page becomes active, then OnChange.
    void ClickTab(int tabIndex);

    TTabSheet* GetActivePage() const { return activePage_; }
    void SetActivePage(TTabSheet* page);
    int GetActivePageIndex() const;
    void SetActivePageIndex(int index);
    int GetTabIndex() const;
    void SetTabIndex(int tabIndex);

    const char* ClassName() const override;

protected:
    void BoundsChanged(bool moved, bool resized) override;

private:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    // The sheet's tab is about to be hidden.
    void TabHiding(TTabSheet* page);
    void TabShown();
    void PlacePage(TTabSheet* page) const;
    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
};
