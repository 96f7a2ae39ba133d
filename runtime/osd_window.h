// What the info, bar, clock and input windows share: dragging, double click and key handling.
#pragma once

#include <toolkit.h>
#include <windows.h>

#include <cstdint>
#include <string>

// Left of a window of this width, centred on the screen and never past its right edge.
int CentredLeft(int width);
// Loads Data\<name>.bmp of the program folder into the picture; an empty name or a missing file
// keeps the picture shown before.
void LoadWindowPicture(TImage* picture, const std::string& name);

// The size the window's layout gives its font, or the largest below it whose text is no higher
// than the room: the layouts give the size in points, and a font of that many points is taller
// than the window it was meant to fill.
int FitFontSize(TCustomForm& window, int size, int room);

// Makes the window's font smaller until the text is no wider than the room.
void FitTextWidth(TCustomForm& window, const std::string& text, int room);
// Room after a window's text for the rounded corner of its region, so that the corner never cuts
// the last letter.
int CornerRoom(int height);

// Makes the region the window's region (redrawn). The window owns it from then on and deletes it
// when it is replaced, removed or the window goes, so the handle is cleared; a region the window
// refused stays with the caller.
void InstallRegion(HWND window, HRGN& region);

class TOsdWindow : public TForm {
public:
    TOsdWindow(TComponent* owner, std::int16_t kind);

    bool Dragging = false;
    std::int32_t DragX = 0;
    std::int32_t DragY = 0;
    bool NeedRegion = true;

    void FormKeyDown(TObject* sender, WORD& key, TShiftState& shift);
    void FormMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void FormMouseMove(TObject* sender, TShiftState shift, int x, int y);
    void FormMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void lblMsgtextDblClick(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);

protected:
    // The borderless, stay-on-top, translucent look the family shares.
    void SetUpWindow(int fontHeight, const char* fontName);
    // Wires the mouse handlers to the window and to one of its controls.
    void WireMouse(TControl* control);
    // The picture and the text beside it that the info, bar and clock windows show; both drag
    // the window and close it on a double click.
    TImage* NewPicture(TWinControl* parent, TAlign align);
    TLabel* NewText(TWinControl* parent);
    void WirePictureAndText(TImage* picture, TLabel* text);
    // Background black and drawn transparent with Infobackground, else the text's complement.
    void ApplyColours();
    // Called for every drag move.
    virtual void DragMoved() {}

    std::int16_t kind_;
};
