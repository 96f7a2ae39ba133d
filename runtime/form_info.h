// The info window: a picture and a line of text.
#pragma once

#include "osd_window.h"

#include <string>

class TFInfo : public TOsdWindow {
public:
    explicit TFInfo(TComponent* owner);
    ~TFInfo() override;

    TImage* imMsgpict;
    TLabel* lblMsgtext;

    // Combined, picture and text regions; 0 while none is built.
    HRGN RgnCombined = nullptr;
    HRGN RgnPicture = nullptr;
    HRGN RgnText = nullptr;

    void ShowInfo(const std::string& picture, const std::string& text);
    void MakeRegion(bool force);
    void ClearRegion();

    void FormCreate(TObject* sender);
    void FormDestroy(TObject* sender);
};

extern TFInfo* FInfo;
