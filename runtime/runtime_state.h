// The main program's run-time state: one object, reachable through the global Runtime.
#pragma once

#include "cache_slots.h"
#include "keyword_lists.h"
#include "osd.h"
#include "receiver_binding.h"
#include "records.h"

#include <toolkit.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Never read from or written to config.ini.
constexpr std::int16_t DisplayTime = 20; // on-screen display time in 100 ms ticks
constexpr std::int16_t RepeatTicks = 2;  // length of the repeat filter in ticks
constexpr std::int32_t FadeStep = 25;    // alpha decrement per tick of a fading window

// Name of the built-in application in ApplTable entry 0.
inline constexpr char SystemApplName[] = "System";

struct TRuntimeState {
    TRuntimeState();

    // Tables and shared objects.
    std::vector<TCodeEntry> CodeTable;
    std::int32_t CodeCount = 0;
    std::vector<TApplEntry> ApplTable;
    std::int32_t ApplCount = 0;
    TStringList WorkList;
    std::array<TFuncCacheSlot, 20> FuncCache{};
    std::array<TCmdCacheSlot, 200> CmdCache{};
    // The eight on-screen windows and dialogs, indexed by kind.
    std::array<TFormSlot, FormSlotCount> FormSlots{};
    std::unique_ptr<TIniFile> LangIni;

    // Engine state.
    char TextBuffer[78] = "";
    float NumberBuffer = -1.0f; // -1.0: empty
    std::int16_t RcMode = 1;    // 0 hold, 1 mouse, 2 keybd, 3 digit
    std::int16_t SavedRcMode = 0;
    std::int16_t PendingFunc = -1;
    std::int32_t SleepTimer = -1; // seconds; -1 off
    std::uint8_t TimerDisplay = 0;
    std::int16_t ReplayRequest = 0;
    std::int16_t ListKind = -1;
    std::uint8_t PendingList = 0;
    std::uint8_t PendingInput = 0;
    std::int16_t VolumeKind = 0;
    float MouseAccel = 1.0f;
    std::int32_t IdleTicks = 0;
    std::uint8_t NoLayeredWindows = 0;

    // Button dispatch state.
    std::int64_t CurrentCode = -1;
    std::int64_t LastCode = -1;
    std::int16_t RepeatCountdown = 0;
    char ButtonCombination[78] = "";
    std::int16_t ComboCount = 0;
    std::int16_t ComboCountdown = 0;
    std::int64_t ComboPrevCode = 0;
    std::string ComboAppl;
    std::int16_t ComboFuncSlot = 0;
    char ButtonName[32] = "";
    std::uint8_t FirstTick = 1;
    // Follows DisplayTime from the data module's start on, never a setting.
    std::int16_t ComboTimeout = DisplayTime;

    // Coupling with the settings dialog.
    std::uint8_t ConfigMode = 0;
    std::uint8_t CaptureState = 0;

    // Settings of config.ini, each named after its key.
    std::uint8_t Regions = 0;
    std::uint8_t Animation = 0;
    std::uint8_t Infobackground = 0;
    std::uint8_t Alpha = 0;
    std::int16_t Alphavalue = 255;
    std::uint8_t Consttime = 0;
    std::uint8_t passed = 0;
    float MouseSpeedStep = 0.3f;
    std::uint8_t ExtOptions = 0; // key "ext options"
    std::string language;        // "" until the settings are read
    std::uint8_t showcmdtext = 1;
    std::uint8_t timersound = 1;

    // Keyword lists; only their Text fields change.
    TKeyword FAVORITE[FavoriteCount];
    TKeyword RCMODE[RcModeCount];
    TKeyword CMDTYPE[CmdTypeCount];
    TKeyword MOUSEVENT[MousEventCount];
    TKeyword INTOPERATION[IntOperationCount];
    TKeyword TXTOPERATION[TxtOperationCount];
    TKeyword VKEY[VKeyCount];
    TKeyword CONDITIONS[ConditionsCount];
    TKeyword TIMERMODE[TimerModeCount];
    TKeyword VOLSETTINGS[VolSettingsCount];
    TKeyword INPUTFORMAT[InputFormatCount];
    TKeyword PLTYPE[PlTypeCount];
    std::uint8_t KeywordsLoaded = 0;

    // Binding of the receiver library: empty until bound.
    HMODULE ReceiverLibrary = nullptr;
    TDoGetInfraCode DoGetInfraCode = nullptr;
    TDoEEPROMRead DoEEPROMRead = nullptr;   // bound, never called
    TDoEEPROMWrite DoEEPROMWrite = nullptr; // bound, never called
    TDoSetDataPortDirection DoSetDataPortDirection = nullptr;
    TDoSetOutDataPort DoSetOutDataPort = nullptr;
    std::uint8_t IndicatorLit = 0;       // the indicator output is on
    std::int32_t IndicatorCountdown = 0; // IndicatorTick calls before it goes off

    // Window lookup: the class name read last, and the application found in front.
    char ClassBuffer[99] = "";
    char FoundAppl[100] = "";
    std::int32_t EnumApplIndex = -1; // ApplTable entry searched for; -1: learn a class

    // Command engine working state.
    std::int32_t StepApplIndex = -1; // ApplTable index of the running function's application
    float LastMouseFlags = 0.0f;     // the last mousevent step's flags and offsets
    float LastMouseDx = 0.0f;
    float LastMouseDy = 0.0f;
    std::uint8_t VolumeMuted = 0;
    std::uint32_t VolumeBeforeMute = 0; // volume word: left in the low, right in the high half
};

extern TRuntimeState Runtime;

// A fresh state, as at program load; for tests.
void ResetRuntimeState();
// Start of the data module, before the main form exists.
void InitDefaultData();
// End of the data module at program end.
void FreeDefaultData();
