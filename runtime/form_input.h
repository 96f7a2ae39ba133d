// The input window: a masked edit for a time of day or a number.
#pragma once

#include "osd_window.h"

#include <cstdint>
#include <set>

class TFInput : public TOsdWindow {
public:
    explicit TFInput(TComponent* owner);
    ~TFInput() override;

    TMaskEdit* mEdit;
    TApplicationEvents* ApplicationEvents;

    HRGN Region = nullptr;
    std::int16_t InputMode = 0; // 0 time of day, 1 number
    std::set<char> TimeChars;   // accepted by the time filter

    void ShowInput();
    void MakeRegion(bool force);
    void ClearRegion();
    void FilterKey(char& key);

    void FormCreate(TObject* sender);
    void FormShow(TObject* sender);
    void FormDestroy(TObject* sender);
    void mEditClick(TObject* sender);
    void mEditDblClick(TObject* sender);
    void mEditKeyPress(TObject* sender, char& key);
    void ApplicationEventsDeactivate(TObject* sender);

protected:
    void DragMoved() override;
};

extern TFInput* FInput;
