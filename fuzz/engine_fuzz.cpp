// The command engine through the running program: bindings of any steps (any type, any
// parameters, any numbering) for "System" and an application, then any sequence of button
// presses on the receiver, ticks, keys to the list chooser and the input window, and windows
// coming to the front.
#include "fuzz_input.h"
#include "fuzz_machine.h"

#include "command_steps.h"
#include "form_input.h"
#include "form_list.h"
#include "main_form.h"
#include "records.h"
#include "runtime_state.h"
#include "tick_rig.h"

#include <toolkit.h>
#include <toolkitsim/control.h>
#include <win32sim/desktop.h>

#include <cstddef>
#include <cstdint>
#include <string>

using namespace fuzz_support;

namespace {

const char* const kButtons[] = {"A", "B", "C", "D"};
constexpr std::int64_t kFirstCode = 0x1A5;
// Picture files of the windows; any bitmap will do.
const char* const kPictures[] = {"keylist", "rchold", "txtbuf",  "bar",    "Vol",
                                 "Mute",    "clock",  "warning", "runappl"};
constexpr char kBitmap[] = "BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0"
                           "\x18\0\0\0\0\0\x04\0\0\0\x13\x0b\0\0\x13\x0b\0\0\0\0\0\0\0\0\0\0"
                           "\x7f\x7f\x7f\0";

// A button expression of one to three buttons.
std::string Keys(FuzzInput& in) {
    const std::uint8_t b = in.Byte();
    std::string keys;
    for (int i = 0; i <= b % 3; ++i) {
        if (i > 0)
            keys += "+";
        keys += std::string("\"") + kButtons[(b >> (2 + 2 * i)) % 4] + "\"";
    }
    return keys;
}

// A step parameter: a text of the input.
std::string Param(FuzzInput& in) {
    return in.Text();
}

// The function and command files of one application, from the input.
void WriteBindings(FuzzInput& in, const std::string& appl) {
    std::string funcs, cmds;
    const int bindings = in.Byte() % 6;
    for (int b = 0; b < bindings; ++b) {
        const std::string name = "Cmd" + std::to_string(b);
        TFuncEntry f{};
        SetField(f.CmdName, name);
        const std::uint8_t mode = in.Byte();
        f.RcMode = static_cast<std::int16_t>(mode % 6);
        // Now and then the expression is whatever the input says.
        SetField(f.Keys, mode & 0x80 ? in.Text() : Keys(in));
        tick_rig::Append(funcs, f);
        const std::uint8_t shape = in.Byte();
        const int count = 1 + shape % 8;
        // Now and then the numbering is whatever the input says.
        const bool rawNumbers = shape & 0x80;
        for (int i = 0; i < count; ++i) {
            TCmdStep s{};
            if (i == 0)
                SetField(s.Name, name);
            s.Step =
                rawNumbers ? static_cast<std::int16_t>(in.U16()) : static_cast<std::int16_t>(i + 1);
            s.StepCount =
                rawNumbers ? static_cast<std::int16_t>(in.U16()) : static_cast<std::int16_t>(count);
            s.CmdType = static_cast<std::int16_t>(static_cast<int>(in.Byte() % 26) - 1);
            SetField(s.Param1, Param(in));
            SetField(s.Param2, Param(in));
            SetField(s.Param3, Param(in));
            SetField(s.Param4, Param(in));
            tick_rig::Append(cmds, s);
        }
    }
    PutFile(Prog("Bin\\deffunc" + appl + ".bin"), funcs);
    PutFile(Prog("Bin\\defcmd" + appl + ".bin"), cmds);
}

void WriteProgramFolder(FuzzInput& in) {
    std::string codes, appls;
    // The last button's name may be any text.
    const std::string odd = in.Text();
    for (std::size_t i = 0; i < std::size(kButtons); ++i) {
        TCodeEntry c{};
        SetField(c.Name, i + 1 == std::size(kButtons) && !odd.empty() ? odd : kButtons[i]);
        c.Code = kFirstCode + static_cast<std::int64_t>(i);
        tick_rig::Append(codes, c);
    }
    TApplEntry system{}, player{};
    SetField(system.Name, "System");
    SetField(player.Name, "Player");
    SetField(player.ClassName, "PlayerMain");
    SetField(player.Path, "C:\\Apps\\Player.exe");
    tick_rig::Append(appls, system);
    tick_rig::Append(appls, player);
    PutFile(Prog("Bin\\defcode.bin"), codes);
    PutFile(Prog("Bin\\defappl.bin"), appls);
    PutFile(Prog("config.ini"), "[Tuning]\r\npassed=1\r\n[Interface]\r\nshowcmdtext=" +
                                    std::to_string(in.Byte() % 2) + "\r\n");
    PutFile(Prog("LANG\\Rus.ini"),
            "[Msg]\r\nmsg_remotehold=Hold\r\nmsg_volume=Volume\r\nmsg_noitems=Empty\r\n"
            "[ConfirmOff]\r\nYes=Yes\r\nNo=No\r\n[TIMERMODE]\r\n0=Off\r\n1=30\r\n5=At\r\n");
    PutFile(Prog("appllist.ini"), "[Player]\r\nName=Player.exe\r\nCLSName=PlayerMain\r\n"
                                  "Group=Audio\r\n");
    PutFile(Prog("Bin\\favoritAudio.bin"), "Player\r\nViewer\r\n");
    PutFile(Prog("PL\\playlists.aud"), "Rock\r\nJazz\r\n");
    PutFile(Prog("PL\\Rock.aud"), "C:\\Music\\one.mp3\r\n");
    for (const char* picture : kPictures)
        PutFile(Prog(std::string("Data\\") + picture + ".bmp"),
                std::string(kBitmap, sizeof kBitmap - 1));
    WriteBindings(in, "System");
    WriteBindings(in, "Player");
}

const WORD kKeys[] = {VK_RETURN, VK_ESCAPE, VK_UP, VK_DOWN, VK_BACK, VK_LEFT, VK_RIGHT, VK_SPACE};

void Act(FuzzInput& in) {
    const std::uint8_t what = in.Byte();
    switch (what % 8) {
    case 0:
    case 1:
    case 2:
        tick_rig::QueueCode(kFirstCode + what / 8 % 4);
        toolkitsim::RunFor(100);
        break;
    case 3:
        toolkitsim::RunFor(100u * (1 + in.Byte()));
        break;
    case 4:
        if (FList && FList->Visible) {
            const int line = in.Byte();
            if (line < FList->lBox->Items.Count())
                FList->lBox->ItemIndex = line;
            toolkitsim::PressKey(*FList, kKeys[what / 8 % std::size(kKeys)]);
        }
        break;
    case 5:
        if (FInput && FInput->Visible) {
            const char key = static_cast<char>(in.Byte());
            if (key >= '0' && key <= '9')
                toolkitsim::KeyPress(*FInput, key);
            else
                toolkitsim::PressKey(*FInput,
                                     kKeys[static_cast<std::uint8_t>(key) % std::size(kKeys)]);
        }
        break;
    case 6: {
        win32sim::WindowSpec spec;
        spec.className = in.Flag() ? "PlayerMain" : "Other";
        win32sim::CreateForeignWindow(spec, 500 + what, 501 + what);
        break;
    }
    default:
        toolkitsim::QueueAnswer(in.Flag() ? mrYes : mrNo);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    FreshRuntime();
    tick_rig::RegisterFakeReceiver();
    WriteProgramFolder(in);
    try {
        Application->CreateForm(FMain);
        toolkitsim::RunFor(100);
        for (int i = 0; i < 64 && !in.AtEnd(); ++i)
            Act(in);
        toolkitsim::RunFor(1000);
        if (FMain)
            FMain->Close();
    } catch (const toolkitsim::Failure&) {
        // A question no answer was queued for: the run ends here.
    }
    EndRuntime();
    UnbindReceiverLibrary();
    return 0;
}
