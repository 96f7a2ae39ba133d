// The clock window: a picture and the time or a timer text.
#pragma once

#include "osd_window.h"

#include <cstdint>
#include <string>

// Pixel width of the text the clock window showed last.
extern std::int32_t LastTextWidth;

class TFTime : public TOsdWindow {
public:
    explicit TFTime(TComponent* owner);
    ~TFTime() override;

    TImage* imMsgpict;
    TLabel* lblMsgtext;

    // Combined, disc and text regions; 0 while none is built.
    HRGN RgnCombined = nullptr;
    HRGN RgnDisc = nullptr;
    HRGN RgnText = nullptr;
    std::string PictureName;

    void ShowTime(const std::string& picture, const std::string& text);
    void MakeRegion(bool force);
    void ClearRegion();

    void FormCreate(TObject* sender);
    void FormDestroy(TObject* sender);
};

extern TFTime* FTime;
