// The bar window: a picture, a text and a gauge.
#pragma once

#include "osd_window.h"

#include <cstdint>
#include <string>

class TFBar : public TOsdWindow {
public:
    explicit TFBar(TComponent* owner);
    ~TFBar() override;

    TPanel* panImage;
    TImage* imMsgpict;
    TPanel* panTxt;
    TLabel* lblMsgtext;
    TGauge* cgBar;

    // Combined, picture, text and gauge regions; 0 while none is built.
    HRGN RgnCombined = nullptr;
    HRGN RgnPicture = nullptr;
    HRGN RgnText = nullptr;
    HRGN RgnGauge = nullptr;
    std::string PictureName;

    // value 0..100.
    void ShowBar(const std::string& picture, const std::string& text, std::int32_t& value);
    void MakeRegion(bool force);
    void ClearRegion();

    void FormCreate(TObject* sender);
    void FormDestroy(TObject* sender);
};

extern TFBar* FBar;
