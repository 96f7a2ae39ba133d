// The on-screen window manager: the table of windows, their display time, fading and closing.
#pragma once

#include <toolkit.h>
#include <windows.h>

#include <cstdint>
#include <string>

class TForm;

// Window kinds, the index into FormSlots.
constexpr std::int16_t KindConfig = 0;     // settings dialog (modal)
constexpr std::int16_t KindInfo = 1;       // info window
constexpr std::int16_t KindCmdwizard = 2;  // command wizard (modal)
constexpr std::int16_t KindFuncwizard = 3; // function wizard (modal)
constexpr std::int16_t KindBar = 4;        // bar window
constexpr std::int16_t KindTime = 5;       // clock window
constexpr std::int16_t KindList = 6;       // list chooser
constexpr std::int16_t KindInput = 7;      // input window
constexpr int FormSlotCount = 8;

struct TFormSlot {
    TForm* Form = nullptr;      // none until created; cleared when a dialog closes
    std::int16_t Countdown = 0; // 100 ms ticks left before the window closes
    std::uint8_t Hold = 0;      // 1: neither counts down nor closes nor fades
    std::int32_t Color = 0;     // text colour, kept in the window's config.ini section
};

// Creates the kind's window on first use, gives it display time and transparency; shows a new
// window (a dialog modally). True when the kind's window exists afterwards.
bool ShowForm(std::int16_t kind);
// The kind's window as it is now (its global instance), or none.
TForm* KindForm(int kind);
// How often ShowForm has run for the kind: a window shown again with the same contents is
// still a new showing.
unsigned OsdShowCount(std::int16_t kind);
// The 100 ms tick (form null); given a window, closes that window at once.
void OsdTick(TForm* form);

void OsdShowText(const std::string& text, const std::string& picture);
void OsdShowClock(bool toggle);
void OsdShowBar(const std::string& text, std::int32_t value, const std::string& picture);
void OsdShowList(const TStringList& list);
// mode 0: time of day, 1: number.
void OsdShowInput(std::int16_t mode);

// Seconds below one day as a time of day in the system's long time format.
std::string SecondsToTimeText(std::int32_t seconds);

// Removes and deletes the window region, then deletes the other regions; every handle deleted is
// set to 0.
void FreeWindowRegion(HWND window, HRGN& region, HRGN& object1, HRGN& object2, HRGN& object3);
