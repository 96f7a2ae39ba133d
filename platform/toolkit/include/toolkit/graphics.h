// Colours, fonts, the canvas's text metrics, bitmaps and pictures.
#pragma once

#include "toolkit/classes.h"

#include <cstdint>
#include <string>

// 0x00BBGGRR; system colours have the high byte 0xFF and the colour index in the low byte.
using TColor = std::int32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

inline constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);
inline constexpr TColor clScrollBar = clSystemColor | 0;
inline constexpr TColor clBackground = clSystemColor | 1;
inline constexpr TColor clActiveCaption = clSystemColor | 2;
inline constexpr TColor clInactiveCaption = clSystemColor | 3;
inline constexpr TColor clMenu = clSystemColor | 4;
inline constexpr TColor clWindow = clSystemColor | 5;
inline constexpr TColor clWindowFrame = clSystemColor | 6;
inline constexpr TColor clMenuText = clSystemColor | 7;
inline constexpr TColor clWindowText = clSystemColor | 8;
inline constexpr TColor clCaptionText = clSystemColor | 9;
inline constexpr TColor clHighlight = clSystemColor | 13;
inline constexpr TColor clHighlightText = clSystemColor | 14;
inline constexpr TColor clBtnFace = clSystemColor | 15;
inline constexpr TColor clGrayText = clSystemColor | 17;
inline constexpr TColor clBtnText = clSystemColor | 18;
inline constexpr TColor clInactiveCaptionText = clSystemColor | 19;
inline constexpr TColor clInfoText = clSystemColor | 23;
inline constexpr TColor clInfoBk = clSystemColor | 24;

// The RGB value of a colour: system colours become the colour the system gives them.
std::int32_t ColorToRGB(TColor color);

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = Set<TFontStyle>;

// Height < 0 is the character height in pixels, Height > 0 the cell height (with the internal
// leading); Size is in points at the screen's pixels per inch.
class TFont : public TObject {
public:
    TFont();
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    Property<std::string, TFont> Name{this, &TFont::GetName, &TFont::SetName};
    Property<int, TFont> Height{this, &TFont::GetHeight, &TFont::SetHeight};
    Property<int, TFont> Size{this, &TFont::GetSize, &TFont::SetSize};
    Property<TFontStyles, TFont> Style{this, &TFont::GetStyle, &TFont::SetStyle};
    Property<TColor, TFont> Color{this, &TFont::GetColor, &TFont::SetColor};

    // Takes every attribute of the source (one change).
    void Assign(const TFont& source);
    // Called after every change.
    TNotifyEvent OnChange;

    std::string GetName() const { return name_; }
    void SetName(std::string name);
    int GetHeight() const { return height_; }
    void SetHeight(int height);
    int GetSize() const;
    void SetSize(int size);
    TFontStyles GetStyle() const { return style_; }
    void SetStyle(TFontStyles style);
    TColor GetColor() const { return color_; }
    void SetColor(TColor color);

    const char* ClassName() const override;

private:
    void Changed();
    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TFontStyles style_;
    TColor color_ = clWindowText;
};

// Text metrics come from the presentation: on Windows from a device context with the font; on
// the host, where nothing is drawn, they are deterministic functions of the font: the character
// height e (|Height| for Height < 0, else Height * 8 / 9), every character (e * 11 + 10) / 20
// pixels wide (one more when bold), and the text height e + (e + 4) / 8 for Height < 0 or
// Height itself.
class TCanvas : public TObject {
public:
    TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TFont Font;
    TColor BrushColor = clWhite;

    int TextWidth(const std::string& text) const;
    int TextHeight(const std::string& text) const;

    const char* ClassName() const override;
};

// A device-independent bitmap read from a .bmp file.
class TBitmap : public TObject {
public:
    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitCount() const { return bitCount_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    // As the file holds them: the bitmap information (header, colour masks, palette) and the
    // pixel rows.
    const std::string& InfoBytes() const { return info_; }
    const std::string& PixelBytes() const { return pixels_; }

    // A missing file throws EFOpenError; a file that is not a whole, valid bitmap throws
    // EInvalidGraphic "Bitmap image is not valid"; on failure the bitmap is unchanged.
    void LoadFromFile(const std::string& windowsPath);
    // The same from the bytes of a .bmp file the program carries.
    void LoadFromBytes(const std::string& bytes);
    void Assign(const TBitmap& source);
    void Clear();

    const char* ClassName() const override;

private:
    int width_ = 0;
    int height_ = 0;
    int bitCount_ = 0;
    std::string info_;
    std::string pixels_;
};

class TPicture : public TObject {
public:
    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    TBitmap Bitmap;
    int Width() const { return Bitmap.Width(); }
    int Height() const { return Bitmap.Height(); }

    // By the file's extension: ".bmp" (any case) loads a bitmap, any other extension throws
    // EInvalidGraphic "Unknown picture file extension (.ext)". Errors as TBitmap's; the picture
    // is unchanged on failure.
    void LoadFromFile(const std::string& windowsPath);
    void Assign(const TPicture& source);
    TNotifyEvent OnChange;

    const char* ClassName() const override;
};
