// The step interpreter of the command engine: one step's work and its result.
#pragma once

#include <cstdint>
#include <string>

// Results of one step.
constexpr std::int16_t StepNext = 0;    // go on with the following step
constexpr std::int16_t StepSuspend = 1; // wait for a list, an input or the sleep timer
constexpr std::int16_t StepSkip = 2;    // skip the following step
constexpr std::int16_t StepStop = 3;    // end the command

// The step types: values of the CMDTYPE keyword list, as the command files store them.
enum : std::int16_t {
    kRunAppl = 0,
    kShowTxt = 1,
    kShowBar = 2,
    kSetCurPos = 3,
    kSendMsg = 4,
    kBufSendMsg = 5,
    kSendMsgBuf = 6,
    kKeybEvent = 7,
    kMousEvent = 8,
    kChangeBuf = 9,
    kTime = 10,
    kMode = 11,
    kSystemShutdown = 12,
    kTimer = 13,
    kShowTimer = 14,
    kContinueIf = 15,
    kNextIf = 16,
    kShowFavorites = 17,
    kShowFunction = 18,
    kShowRuning = 19,
    kShowTimerMode = 20,
    kInputNumber = 21,
    kSetVolume = 22,
    kShowPlaylist = 23,
};

// Runs one step of the running function's application (applIndex into ApplTable, -1 none).
std::int16_t ExecuteCommand(std::int32_t& applIndex, std::int16_t type, const std::string& P1,
                            const std::string& P2, const std::string& P3, const std::string& P4);

// Reading numbers from step parameters: the leading decimal integer or floating-point number
// after optional blanks and a sign; 0 when there is none. Integers saturate at the 32-bit range.
std::int32_t IntValue(const std::string& text);
double DecimalValue(const std::string& text);
// Toward zero, saturating at the 32-bit range; 0 for a value that is no number.
std::int32_t Truncate(double value);

// Texts of at most 77 characters; what goes beyond is cut.
void SetTextBuffer(const std::string& text);

// Step types that start programs, show lists and input, and control timer, volume and system.
std::int16_t StepRunAppl(const std::string& P1);
std::int16_t StepTime();
std::int16_t StepMode(const std::string& P1);
std::int16_t StepSystemShutdown();
std::int16_t StepTimer();
std::int16_t StepShowTimer();
std::int16_t StepShowFavorites(const std::string& P1);
std::int16_t StepShowFunction(std::int32_t applIndex);
std::int16_t StepShowRuning();
std::int16_t StepShowTimerMode();
std::int16_t StepInputNumber(const std::string& P1);
std::int16_t StepSetVolume(const std::string& P1, const std::string& P2);
std::int16_t StepShowPlaylist(const std::string& P1);
