// The step interpreter's entry and the steps on buffers, messages, keys, mouse and conditions.
#include "command_steps.h"

#include "application_windows.h"
#include "keyword_lists.h"
#include "osd.h"
#include "runtime_state.h"

#include <toolkit.h>
#include <windows.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

constexpr std::int32_t kCmdTypes = 24;
constexpr float kMaxMouseAccel = 100.0f;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A number result that a float cannot hold is a floating-point error: the step fails and the
// buffer keeps its value.
float ToNumberBuffer(double value) {
    if (!std::isfinite(value) || std::fabs(value) > FLT_MAX)
        throw Exception("Floating point overflow");
    return static_cast<float>(value);
}

double Divide(double a, double b) {
    if (b == 0.0)
        throw Exception("Floating point division by zero");
    return a / b;
}

HWND TargetWindow(std::int32_t applIndex) {
    if (applIndex == -1)
        return HWND_BROADCAST;
    const TRuntimeState& rt = Runtime;
    if (applIndex < 0 || applIndex >= rt.ApplCount ||
        applIndex >= static_cast<std::int32_t>(rt.ApplTable.size()))
        return nullptr;
    return WndHandle(rt.ApplTable[applIndex].Wnd);
}

// Message arguments as a 32-bit program passes them.
WPARAM AsWParam(std::int32_t v) {
    return static_cast<WPARAM>(static_cast<DWORD>(v));
}
LPARAM AsLParam(std::int32_t v) {
    return static_cast<LPARAM>(v);
}

// The window of an on-screen chooser when it exists and is visible.
HWND ShownWindow(std::int16_t kind) {
    TForm* form = Runtime.FormSlots[kind].Form;
    return form && form->Visible ? form->Handle() : nullptr;
}

// Substring from position s (1-based), c characters, of text.
std::string Substring(const std::string& text, std::int64_t s, std::int64_t c) {
    const auto length = static_cast<std::int64_t>(text.size());
    if (s > length || c < 1)
        return std::string();
    if (s < 1)
        s = 1;
    if (c > length - s + 1)
        c = length - s + 1;
    return text.substr(static_cast<std::size_t>(s - 1), static_cast<std::size_t>(c));
}

std::string NumberText() {
    return FloatToStr(Runtime.NumberBuffer);
}

std::int16_t ShowText(const std::string& P1) {
    if (P1 == "Txt")
        OsdShowText(Runtime.TextBuffer, "txtbuf");
    else
        OsdShowText(NumberText(), "txtbuf");
    return StepNext;
}

std::int16_t ShowBar() {
    OsdShowBar(Runtime.TextBuffer, Truncate(Runtime.NumberBuffer), "bar");
    return StepNext;
}

std::int16_t SetCurPos(const std::string& P1, const std::string& P2) {
    SetCursorPos(IntValue(P1), IntValue(P2));
    return StepNext;
}

std::int16_t SendMsg(std::int32_t applIndex, const std::string& P1, const std::string& P2,
                     const std::string& P3) {
    SendMessageA(TargetWindow(applIndex), static_cast<UINT>(Truncate(DecimalValue(P1))),
                 AsWParam(Truncate(DecimalValue(P2))), AsLParam(Truncate(DecimalValue(P3))));
    return StepNext;
}

std::int16_t BufSendMsg(std::int32_t applIndex, const std::string& P1, const std::string& P2,
                        const std::string& P3, const std::string& P4) {
    const LRESULT r =
        SendMessageA(TargetWindow(applIndex), static_cast<UINT>(Truncate(DecimalValue(P2))),
                     AsWParam(Truncate(DecimalValue(P3))), AsLParam(Truncate(DecimalValue(P4))));
    if (P1 == "Txt") {
        // The answer of another program's window is never an address in this program's
        // memory, so it is not read as one: the step fails as for an unreadable address.
        throw Exception("Answer " + IntToStr(static_cast<long long>(r)) + " is no readable text");
    }
    Runtime.NumberBuffer = static_cast<float>(r);
    return StepNext;
}

std::int16_t SendMsgBuf(std::int32_t applIndex, const std::string& P1, const std::string& P2,
                        const std::string& P3, const std::string& P4) {
    const auto held = static_cast<float>(P1 == "Txt" ? IntValue(Runtime.TextBuffer)
                                                     : Truncate(Runtime.NumberBuffer));
    const std::int32_t v = Truncate(held);
    const auto message = static_cast<UINT>(Truncate(DecimalValue(P3)));
    const std::int32_t other = Truncate(DecimalValue(P4));
    if (IntValue(P2) == 3)
        SendMessageA(TargetWindow(applIndex), message, AsWParam(v), AsLParam(other));
    else
        SendMessageA(TargetWindow(applIndex), message, AsWParam(other), AsLParam(v));
    return StepNext;
}

std::int16_t KeybEvent(std::int32_t applIndex, const std::string& P1, const std::string& P2) {
    const TRuntimeState& rt = Runtime;
    if (HWND list = ShownWindow(KindList)) {
        SetForegroundWindow(list);
    } else if (HWND input = ShownWindow(KindInput)) {
        SetForegroundWindow(input);
    } else if (applIndex > 0 && applIndex < rt.ApplCount &&
               applIndex < static_cast<std::int32_t>(rt.ApplTable.size())) {
        const HWND appl = WndHandle(rt.ApplTable[applIndex].Wnd);
        if (GetActiveWindow() != appl)
            SetForegroundWindow(appl);
    }
    keybd_event(static_cast<BYTE>(IntValue(P1)), 0, static_cast<DWORD>(IntValue(P2)), 0);
    return StepNext;
}

std::int16_t MousEvent(const std::string& P1, const std::string& P2, const std::string& P3,
                       const std::string& P4) {
    TRuntimeState& rt = Runtime;
    const auto f = static_cast<float>(IntValue(P1));
    const auto dx = static_cast<float>(IntValue(P2));
    const auto dy = static_cast<float>(IntValue(P3));
    if (f == MOUSEEVENTF_MOVE || f == MOUSEEVENTF_WHEEL) {
        rt.RepeatCountdown = 0;
        if (f == rt.LastMouseFlags && dx == rt.LastMouseDx && dy == rt.LastMouseDy)
            rt.MouseAccel =
                rt.MouseAccel < kMaxMouseAccel ? rt.MouseAccel + rt.MouseSpeedStep : kMaxMouseAccel;
        else
            rt.MouseAccel = 1.0f;
    } else {
        rt.MouseAccel = 1.0f;
    }
    rt.LastMouseFlags = f;
    rt.LastMouseDx = dx;
    rt.LastMouseDy = dy;
    mouse_event(static_cast<DWORD>(Truncate(f)),
                static_cast<DWORD>(Truncate(static_cast<double>(dx) * rt.MouseAccel)),
                static_cast<DWORD>(Truncate(static_cast<double>(dy) * rt.MouseAccel)),
                static_cast<DWORD>(IntValue(P4)), 0);
    return StepNext;
}

std::int16_t ChangeBuf(const std::string& P1, const std::string& P2, const std::string& P3,
                       const std::string& P4) {
    TRuntimeState& rt = Runtime;
    // "Clear" names an operation of both buffers: on a step for the text buffer (the wizard
    // writes "Txt") it must empty the text, not the number.
    if (P1 == "Txt" && KeywordToValue(rt.TXTOPERATION, TxtOperationCount, P2) == 4 &&
        KeywordToValue(rt.INTOPERATION, IntOperationCount, P2) == 5) {
        SetTextBuffer("");
        return StepNext;
    }
    const double x = DecimalValue(P3);
    const std::int32_t n = IntValue(P3);
    const std::int32_t m = IntValue(P4);
    const double buf = rt.NumberBuffer;
    switch (KeywordToValue(rt.INTOPERATION, IntOperationCount, P2)) {
    case 0:
        rt.NumberBuffer = ToNumberBuffer(buf + x);
        return StepNext;
    case 1:
        rt.NumberBuffer = ToNumberBuffer(buf - x);
        return StepNext;
    case 2:
        rt.NumberBuffer = ToNumberBuffer(buf * x);
        return StepNext;
    case 3:
        rt.NumberBuffer = ToNumberBuffer(Divide(buf, x));
        return StepNext;
    case 4:
        rt.NumberBuffer = ToNumberBuffer(Divide(x, buf));
        return StepNext;
    case 5:
        rt.NumberBuffer = 0.0f;
        return StepNext;
    case 6:
        rt.NumberBuffer = ToNumberBuffer(buf + DecimalValue(rt.TextBuffer));
        return StepNext;
    default:
        break;
    }
    const std::string text = rt.TextBuffer;
    const auto length = static_cast<std::int64_t>(text.size());
    switch (KeywordToValue(rt.TXTOPERATION, TxtOperationCount, P2)) {
    case 0:
        SetTextBuffer(text + P3);
        return StepNext;
    case 1: // Left: the first n characters
        SetTextBuffer(Substring(text, 1, n));
        return StepNext;
    case 2:
        SetTextBuffer(Substring(text, length - n, n));
        return StepNext;
    case 3:
        SetTextBuffer(Substring(text, n, m));
        return StepNext;
    case 4:
        SetTextBuffer("");
        return StepNext;
    case 5:
        SetTextBuffer(text + NumberText());
        return StepNext;
    case 6:
        SetTextBuffer(NumberText() + text);
        return StepNext;
    default:
        return StepStop;
    }
}

std::int16_t Condition(std::int16_t type, const std::string& P1, const std::string& P2,
                       const std::string& P3) {
    const TRuntimeState& rt = Runtime;
    const std::int16_t op = KeywordToValue(rt.CONDITIONS, ConditionsCount, P2);
    if (op < 0)
        return StepNext;
    int sign;
    if (AnsiSameText(P1, "Txt")) {
        sign = AnsiCompareText(rt.TextBuffer, P3);
    } else {
        const auto x = static_cast<float>(IntValue(P3));
        sign = rt.NumberBuffer < x ? -1 : (rt.NumberBuffer > x ? 1 : 0);
    }
    bool holds = false;
    switch (op) {
    case 0:
        holds = sign < 0;
        break;
    case 1:
        holds = sign > 0;
        break;
    case 2:
        holds = sign <= 0;
        break;
    case 3:
        holds = sign >= 0;
        break;
    case 4:
        holds = sign == 0;
        break;
    case 5:
        holds = sign != 0;
        break;
    default:
        return StepNext;
    }
    if (holds)
        return StepNext;
    return type == kContinueIf ? StepStop : StepSkip;
}

} // namespace

std::int32_t IntValue(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        if (value <= std::numeric_limits<std::int32_t>::max())
            value = value * 10 + (text[i] - '0');
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

double DecimalValue(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    // Only sign, digits, one point and an exponent are copied, so that the conversion sees no
    // hexadecimal or special value.
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        number += text[i++];
    bool digits = false;
    for (; i < text.size() && IsDigit(text[i]); ++i, digits = true)
        number += text[i];
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        for (; i < text.size() && IsDigit(text[i]); ++i, digits = true)
            number += text[i];
    }
    if (!digits)
        return 0.0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            exponent += text[j++];
        if (j < text.size() && IsDigit(text[j])) {
            for (; j < text.size() && IsDigit(text[j]); ++j)
                exponent += text[j];
            number += exponent;
        }
    }
    return std::strtod(number.c_str(), nullptr);
}

std::int32_t Truncate(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

void SetTextBuffer(const std::string& text) {
    SetField(Runtime.TextBuffer, text);
}

std::int16_t ExecuteCommand(std::int32_t& applIndex, std::int16_t type, const std::string& P1,
                            const std::string& P2, const std::string& P3, const std::string& P4) {
    TRuntimeState& rt = Runtime;
    rt.WorkList.Clear();
    if (type < 0 || type >= kCmdTypes) {
        if (rt.MouseAccel > 1.0f)
            rt.MouseAccel = 1.0f;
        return StepNext;
    }
    switch (type) {
    case kRunAppl:
        return StepRunAppl(P1);
    case kShowTxt:
        return ShowText(P1);
    case kShowBar:
        return ShowBar();
    case kSetCurPos:
        return SetCurPos(P1, P2);
    case kSendMsg:
        return SendMsg(applIndex, P1, P2, P3);
    case kBufSendMsg:
        return BufSendMsg(applIndex, P1, P2, P3, P4);
    case kSendMsgBuf:
        return SendMsgBuf(applIndex, P1, P2, P3, P4);
    case kKeybEvent:
        return KeybEvent(applIndex, P1, P2);
    case kMousEvent:
        return MousEvent(P1, P2, P3, P4);
    case kChangeBuf:
        return ChangeBuf(P1, P2, P3, P4);
    case kTime:
        return StepTime();
    case kMode:
        return StepMode(P1);
    case kSystemShutdown:
        return StepSystemShutdown();
    case kTimer:
        return StepTimer();
    case kShowTimer:
        return StepShowTimer();
    case kContinueIf:
    case kNextIf:
        return Condition(type, P1, P2, P3);
    case kShowFavorites:
        return StepShowFavorites(P1);
    case kShowFunction:
        return StepShowFunction(applIndex);
    case kShowRuning:
        return StepShowRuning();
    case kShowTimerMode:
        return StepShowTimerMode();
    case kInputNumber:
        return StepInputNumber(P1);
    case kSetVolume:
        return StepSetVolume(P1, P2);
    case kShowPlaylist:
        return StepShowPlaylist(P1);
    default:
        return StepNext;
    }
}
