// A fresh machine with a program folder, a language file and the windows' pictures, on which
// remote buttons run bound commands that show the on-screen windows.
#pragma once

#include "button_dispatch.h"
#include "command_steps.h"
#include "form_bar.h"
#include "form_info.h"
#include "form_input.h"
#include "form_list.h"
#include "form_time.h"
#include "osd.h"
#include "osd_fixture.h"
#include "records.h"
#include "runtime_state.h"

#include "win32sim/desktop.h"

#include <cp1251.h>
#include <toolkit.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace engine_test {

// Codes of the remote's buttons A to D.
constexpr std::int64_t kA = 10, kB = 11, kC = 12, kD = 13;

// Texts of the language file, in CP1251 as the file holds them.
inline constexpr auto kRemoteHold = cp1251::Literal("Пульт заблокирован");
inline constexpr auto kVolume = cp1251::Literal("Громкость");
inline constexpr auto kMute = cp1251::Literal("Звук выключен");
inline constexpr auto kUnmute = cp1251::Literal("Звук включён");
inline constexpr auto kNoItems = cp1251::Literal("Список пуст");
inline constexpr auto kYes = cp1251::Literal("Да, выключить");
inline constexpr auto kNo = cp1251::Literal("Нет");
inline constexpr auto kShutdownWarning = cp1251::Literal("Выключение компьютера!!!");
inline const char* const kTimerModes[] = {"Off", "30 min", "60 min", "90 min", "2 h", "At"};

struct StepSpec {
    StepSpec(std::int16_t t, std::string a = "", std::string b = "", std::string c = "",
             std::string d = "")
        : type(t), p1(std::move(a)), p2(std::move(b)), p3(std::move(c)), p4(std::move(d)) {}
    std::int16_t type;
    std::string p1, p2, p3, p4;
};

// A command bound to a button expression in RC modes 1 to 3.
struct Binding {
    std::string command;
    std::string keys;
    std::vector<StepSpec> steps;
};

inline std::string Text(std::string_view text) {
    return std::string(text);
}

inline std::vector<std::string> Lines(const TStringList& list) {
    return std::vector<std::string>(list.begin(), list.end());
}

} // namespace engine_test

class EngineFixture : public OsdFixture {
protected:
    static constexpr const char* kPlayerPath = "C:\\Apps\\Player.exe";

    void SetUp() override {
        OsdFixture::SetUp();
        using namespace engine_test;
        Runtime.language = "Rus";
        std::string lang = "[Msg]\r\nmsg_remotehold=" + Text(kRemoteHold) +
                           "\r\nmsg_volume=" + Text(kVolume) + "\r\nmsg_mute=" + Text(kMute) +
                           "\r\nmsg_unmute=" + Text(kUnmute) + "\r\nmsg_noitems=" + Text(kNoItems) +
                           "\r\n[ConfirmOff]\r\nYes=" + Text(kYes) + "\r\nNo=" + Text(kNo) +
                           "\r\n[TIMERMODE]\r\n";
        for (int i = 0; i < 6; ++i)
            lang += std::to_string(i) + "=" + kTimerModes[i] + "\r\n";
        PutFile(Prog("LANG\\Rus.ini"), lang);
        for (std::size_t i = 0; i < std::size(kPictures); ++i)
            PutFile(Prog(std::string("Data\\") + kPictures[i] + ".bmp"),
                    BitmapFile(static_cast<int>(i) + 2));

        Runtime.ApplTable = {Appl("System", ""), Appl("Player", "PlayerMain")};
        SetField(Runtime.ApplTable[1].Path, kPlayerPath);
        Runtime.ApplCount = 2;
        Runtime.CodeTable = {Code("A", kA), Code("B", kB), Code("C", kC), Code("D", kD)};
        Runtime.CodeCount = 4;
        Runtime.RcMode = 1;
        Runtime.showcmdtext = 0;
    }

    // The default function and command files of the application, holding these bindings.
    void Bind(const std::string& appl, const std::vector<engine_test::Binding>& bindings) {
        std::string funcs, cmds;
        for (const engine_test::Binding& b : bindings) {
            TFuncEntry f{};
            SetField(f.CmdName, b.command);
            f.RcMode = 4;
            SetField(f.Keys, b.keys);
            funcs.append(reinterpret_cast<const char*>(&f), sizeof f);
            const auto count = static_cast<std::int16_t>(b.steps.size());
            for (std::int16_t i = 0; i < count; ++i) {
                const engine_test::StepSpec& spec = b.steps[static_cast<std::size_t>(i)];
                TCmdStep s{};
                if (i == 0)
                    SetField(s.Name, b.command);
                s.Step = static_cast<std::int16_t>(i + 1);
                s.StepCount = count;
                s.CmdType = spec.type;
                SetField(s.Param1, spec.p1);
                SetField(s.Param2, spec.p2);
                SetField(s.Param3, spec.p3);
                SetField(s.Param4, spec.p4);
                cmds.append(reinterpret_cast<const char*>(&s), sizeof s);
            }
        }
        PutFile(Prog("Bin\\deffunc" + appl + ".bin"), funcs);
        PutFile(Prog("Bin\\defcmd" + appl + ".bin"), cmds);
    }

    // A window of the player's class, of another process, not in front.
    static HWND OpenPlayerWindow() {
        win32sim::WindowSpec spec;
        spec.className = "PlayerMain";
        return win32sim::CreateForeignWindow(spec, 500, 501);
    }

    static void Press(std::int64_t code) { ProcessButtonCode(code); }

    static bool Shown(const TForm* form) { return form && form->Visible; }

    // The info window's text, or "<hidden>".
    static std::string InfoText() {
        return Shown(FInfo) ? FInfo->lblMsgtext->Caption : std::string("<hidden>");
    }

    // The name of the picture file an image shows, told apart by its width.
    static std::string PictureOf(const TImage* image) {
        const int index = image->Picture.Width() - 2;
        if (index < 0 || index >= static_cast<int>(std::size(kPictures)))
            return "<none>";
        return kPictures[index];
    }

    // Enter on the list chooser with its line index selected.
    static void ChooseLine(int index) {
        FList->lBox->ItemIndex = index;
        toolkitsim::PressKey(*FList, VK_RETURN);
    }

private:
    static constexpr const char* kPictures[] = {"keylist", "rchold", "txtbuf",  "bar",    "Vol",
                                                "Mute",    "clock",  "warning", "runappl"};

    static TApplEntry Appl(const std::string& name, const std::string& cls) {
        TApplEntry e{};
        SetField(e.Name, name);
        SetField(e.ClassName, cls);
        return e;
    }
    static TCodeEntry Code(const std::string& name, std::int64_t code) {
        TCodeEntry c{};
        SetField(c.Name, name);
        c.Code = code;
        return c;
    }
};
