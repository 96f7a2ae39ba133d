// The list chooser: a list of texts filling most of the screen.
#pragma once

#include "osd_window.h"

#include <toolkit.h>
#include <windows.h>

class TFList : public TForm {
public:
    explicit TFList(TComponent* owner);
    ~TFList() override;

    TListBox* lBox;
    TApplicationEvents* ApplicationEvents;

    bool NeedRegion = true;
    HRGN Region = nullptr;

    void ShowList(const TStringList& list);
    void MakeRegion(bool force);
    void ClearRegion();

    void FormCreate(TObject* sender);
    void FormDestroy(TObject* sender);
    void FormKeyDown(TObject* sender, WORD& key, TShiftState& shift);
    void FormCanResize(TObject* sender, int& newWidth, int& newHeight, bool& resize);
    void lBoxClick(TObject* sender);
    void lBoxKeyPress(TObject* sender, char& key);
    void lBoxDblClick(TObject* sender);
    void ApplicationEventsDeactivate(TObject* sender);
};

extern TFList* FList;
