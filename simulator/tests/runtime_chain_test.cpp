// A button pressed on the simulated receiver, read by the runtime through the real library and
// driver: decoded to its code, and dispatched to the bound command.
#include "button_dispatch.h"
#include "receiver_binding.h"
#include "chain_fixture.h"
#include "records.h"
#include "runtime_state.h"
#include "win32sim/desktop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

template <class T>
std::string Bytes(const std::vector<T>& records) {
    std::string s;
    for (const T& r : records)
        s.append(reinterpret_cast<const char*>(&r), sizeof r);
    return s;
}

class RuntimeChainTest : public ReceiverChainTest {
protected:
    void SetUp() override {
        ReceiverChainTest::SetUp();
        ResetRuntimeState();
    }
    void TearDown() override {
        UnbindReceiverLibrary();
        ResetRuntimeState();
        ReceiverChainTest::TearDown();
    }
};

TEST_F(RuntimeChainTest, PressedCodesDecodeToThemselves) {
    ASSERT_EQ(BindReceiverLibrary(), 0);
    EXPECT_TRUE(InitReceiverPort());
    const std::int64_t codes[] = {0x2, 0x3, 0x155, 0x1AAA, 0x3F0F, 0x7FFFFFFFFFFFLL};
    for (std::int64_t code : codes) {
        SCOPED_TRACE(code);
        chain->Receiver().PressButton(code, static_cast<UCHAR>(code % 7));
        EXPECT_EQ(ReadInfraCode(), code);
        EXPECT_EQ(ReadInfraCode(), -1) << "read once";
    }
}

TEST_F(RuntimeChainTest, NoCodeAndFailingReceiverGiveMinusOne) {
    ASSERT_EQ(BindReceiverLibrary(), 0);
    EXPECT_EQ(ReadInfraCode(), -1);
    chain->Receiver().PressButton(0x1234);
    chain->Receiver().SetNoAnswer(-1);
    EXPECT_EQ(ReadInfraCode(), -1);
    chain->Receiver().SetNoAnswer(0);
    EXPECT_EQ(ReadInfraCode(), 0x1234) << "the code waited in the receiver";
}

TEST_F(RuntimeChainTest, ReadingPulsesTheIndicator) {
    ASSERT_EQ(BindReceiverLibrary(), 0);
    chain->Receiver().PressButton(0x1234);
    ASSERT_EQ(ReadInfraCode(), 0x1234);
    const auto writes = chain->Receiver().OutPortWrites();
    ASSERT_GE(writes.size(), 2u);
    EXPECT_EQ(writes[writes.size() - 2], 1);
    EXPECT_EQ(writes.back(), 0);
}

TEST_F(RuntimeChainTest, PressRunsTheCommandBoundForSystem) {
    TCodeEntry play{};
    SetField(play.Name, "Play");
    play.Code = 0x1A5;
    PutFile(Prog("Bin\\defcode.bin"), Bytes(std::vector<TCodeEntry>{play}));
    TCmdStep press{}, release{};
    SetField(press.Name, "Enter");
    press.Step = 1;
    press.StepCount = 2;
    press.CmdType = 7; // keybevent
    SetField(press.Param1, "13");
    SetField(press.Param2, "0");
    release = press;
    SetField(release.Name, "");
    release.Step = 2;
    SetField(release.Param2, "2");
    PutFile(Prog("Bin\\defcmdSystem.bin"), Bytes(std::vector<TCmdStep>{press, release}));
    TFuncEntry bind{};
    SetField(bind.CmdName, "Enter");
    bind.RcMode = 1;
    SetField(bind.Keys, "\"Play\"");
    PutFile(Prog("Bin\\deffuncSystem.bin"), Bytes(std::vector<TFuncEntry>{bind}));
    Runtime.showcmdtext = 0;
    Runtime.ApplTable.clear();
    TApplEntry system{};
    SetField(system.Name, "System");
    Runtime.ApplTable.push_back(system);
    Runtime.ApplCount = 1;
    Runtime.CodeTable = {play};
    Runtime.CodeCount = 1;

    ASSERT_EQ(BindReceiverLibrary(), 0);
    chain->Receiver().PressButton(0x1A5 | 0x800);
    const std::int64_t code = ReadInfraCode();
    ASSERT_EQ(code, 0x1A5 | 0x800);
    ProcessButtonCode(code & ~std::int64_t{0x800});

    const auto input = win32sim::InputLog();
    ASSERT_EQ(input.size(), 2u);
    EXPECT_EQ(input[0].kind, win32sim::InputEvent::Kind::Key);
    EXPECT_EQ(input[0].vk, 13);
    EXPECT_EQ(input[0].flags, 0u);
    EXPECT_EQ(input[1].vk, 13);
    EXPECT_EQ(input[1].flags, static_cast<DWORD>(KEYEVENTF_KEYUP));
    EXPECT_EQ(std::string(Runtime.ButtonCombination), "") << "reset after the run";
}

} // namespace
