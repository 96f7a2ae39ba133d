// Tests of the receiver library binding, code reading, bi-phase decoding and the indicator.
#include "receiver_binding.h"
#include "runtime_state.h"

#include "sim_fixture.h"
#include "win32sim/modules.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

namespace {

// A small stand-in for the receiver library: queued codes and a log of the output port.
struct FakeReceiver {
    std::deque<std::vector<BYTE>> codes;
    INT readResult = 0;
    INT reportedLength = -2; // other than -2: the length the library claims
    INT directionResult = 0;
    std::vector<BYTE> directions;
    std::vector<BYTE> outPort;
    std::vector<INT> bufSizes;
    int eepromCalls = 0;
};
FakeReceiver* fake = nullptr;

INT WINAPI FakeGetInfraCode(BYTE* buffer, INT bufSize, INT* len) {
    fake->bufSizes.push_back(bufSize);
    if (fake->readResult != 0)
        return fake->readResult;
    *len = 0;
    if (!fake->codes.empty()) {
        const std::vector<BYTE> code = fake->codes.front();
        fake->codes.pop_front();
        for (std::size_t i = 0; i < code.size() && i < 255; ++i)
            buffer[i] = code[i];
        *len = static_cast<INT>(code.size());
    }
    if (fake->reportedLength != -2)
        *len = fake->reportedLength;
    return 0;
}
INT WINAPI FakeEEPROMRead(BYTE, BYTE*) {
    ++fake->eepromCalls;
    return 0;
}
INT WINAPI FakeEEPROMWrite(BYTE, BYTE) {
    ++fake->eepromCalls;
    return 0;
}
INT WINAPI FakeSetDataPortDirection(BYTE direction) {
    fake->directions.push_back(direction);
    return fake->directionResult;
}
INT WINAPI FakeSetOutDataPort(BYTE value) {
    fake->outPort.push_back(value);
    return 0;
}

template <class F>
FARPROC Export(F f) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(f));
}

class ReceiverBindingTest : public SimMachineTest {
protected:
    void SetUp() override {
        SimMachineTest::SetUp();
        ResetRuntimeState();
        fake = &receiver;
    }
    void TearDown() override {
        UnbindReceiverLibrary();
        fake = nullptr;
        ResetRuntimeState();
        SimMachineTest::TearDown();
    }

    static void RegisterLibrary() {
        win32sim::ModuleSpec spec;
        spec.fileName = "VarnUSB.dll";
        spec.exports = {
            {"DoGetInfraCode", 0, Export(&FakeGetInfraCode)},
            {"DoEEPROMRead", 0, Export(&FakeEEPROMRead)},
            {"DoEEPROMWrite", 0, Export(&FakeEEPROMWrite)},
            {"DoSetDataPortDirection", 0, Export(&FakeSetDataPortDirection)},
            {"DoSetOutDataPort", 0, Export(&FakeSetOutDataPort)},
        };
        win32sim::RegisterModule(spec);
    }

    FakeReceiver receiver;
};

constexpr BYTE S = 10; // a short duration
constexpr BYTE L = 20; // a long duration

TEST_F(ReceiverBindingTest, BindsAllFiveExports) {
    RegisterLibrary();
    EXPECT_EQ(BindReceiverLibrary(), 0);
    EXPECT_NE(Runtime.ReceiverLibrary, nullptr);
    EXPECT_NE(Runtime.DoGetInfraCode, nullptr);
    EXPECT_NE(Runtime.DoEEPROMRead, nullptr);
    EXPECT_NE(Runtime.DoEEPROMWrite, nullptr);
    EXPECT_NE(Runtime.DoSetDataPortDirection, nullptr);
    EXPECT_NE(Runtime.DoSetOutDataPort, nullptr);
    EXPECT_EQ(win32sim::ModuleLoadCount("VarnUSB.dll"), 1);
    UnbindReceiverLibrary();
    EXPECT_EQ(win32sim::ModuleLoadCount("VarnUSB.dll"), 0);
    EXPECT_EQ(Runtime.ReceiverLibrary, nullptr);
    EXPECT_EQ(Runtime.DoGetInfraCode, nullptr);
    EXPECT_EQ(Runtime.DoSetOutDataPort, nullptr);
    EXPECT_EQ(receiver.eepromCalls, 0);
}

TEST_F(ReceiverBindingTest, MissingLibraryGivesOne) {
    EXPECT_EQ(BindReceiverLibrary(), 1);
    EXPECT_EQ(Runtime.ReceiverLibrary, nullptr);
    UnbindReceiverLibrary(); // nothing loaded: nothing happens
    EXPECT_EQ(ReadInfraCode(), -1);
}

TEST_F(ReceiverBindingTest, EachMissingExportGivesTwoAndKeepsTheLibraryLoaded) {
    for (const char* name : {"DoGetInfraCode", "DoEEPROMRead", "DoEEPROMWrite",
                             "DoSetDataPortDirection", "DoSetOutDataPort"}) {
        SCOPED_TRACE(name);
        RegisterLibrary();
        win32sim::RemoveModuleExport("VarnUSB.dll", name);
        EXPECT_EQ(BindReceiverLibrary(), 2);
        EXPECT_EQ(win32sim::ModuleLoadCount("VarnUSB.dll"), 1);
        UnbindReceiverLibrary();
        EXPECT_EQ(win32sim::ModuleLoadCount("VarnUSB.dll"), 0);
    }
}

TEST_F(ReceiverBindingTest, DecodesBiphaseDurations) {
    struct Case {
        const char* label;
        std::vector<BYTE> bytes;
        std::int64_t code;
    };
    const BYTE neg = static_cast<BYTE>(-10);
    const Case cases[] = {
        {"S S", {S, S}, 3},
        {"L", {L}, 2},
        {"S S L S", {S, S, L, S}, 6},
        {"lone short at the end", {S}, 1}, // (1*2+1) >> 1
        {"L L", {L, L}, 5},                // bits 1 0 1
        {"S S S S", {S, S, S, S}, 7},
        {"shortest and longest valid", {7, 13, 16, 25}, 13}, // bits 1 0 1
        {"14 anywhere", {S, S, 14}, -1},
        {"15", {15}, -1},
        {"6", {6}, -1},
        {"26", {26}, -1},
        {"negative", {neg}, -1},
        {"S then L", {S, L}, -1},
        {"lone short in the middle before a long", {L, S, L, L}, -1},
        {"empty", {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(DecodeBiphase(c.bytes.data(), static_cast<std::int32_t>(c.bytes.size())), c.code);
    }
}

TEST_F(ReceiverBindingTest, LongCodesWrapModuloTwoToTheSixtyFourth) {
    // 64 symbols of "S S" (bit 1): the leading 1 is shifted out, every bit is 1.
    std::vector<BYTE> bytes(128, S);
    EXPECT_EQ(DecodeBiphase(bytes.data(), 128), -1);
    // 63 symbols keep the leading 1 in the top bit: all ones too.
    EXPECT_EQ(DecodeBiphase(bytes.data(), 126), -1);
    // 62 symbols: 0x7FFF...F.
    EXPECT_EQ(DecodeBiphase(bytes.data(), 124), INT64_MAX);
    // 64 long symbols alternate 0 1 0 1 ... after the leading 1 falls out.
    std::vector<BYTE> longs(64, L);
    EXPECT_EQ(static_cast<std::uint64_t>(DecodeBiphase(longs.data(), 64)), 0x5555555555555555ull);
    // A lone short at the end of a value whose top bit is set shifts arithmetically.
    std::vector<BYTE> odd(125, S);
    EXPECT_EQ(DecodeBiphase(odd.data(), 125), -1);
}

TEST_F(ReceiverBindingTest, ReadInfraCodeDecodesAndPulsesTheIndicator) {
    RegisterLibrary();
    ASSERT_EQ(BindReceiverLibrary(), 0);
    receiver.codes.push_back({S, S, L, S});
    EXPECT_EQ(ReadInfraCode(), 6);
    EXPECT_EQ(receiver.bufSizes, std::vector<INT>{255});
    EXPECT_EQ(receiver.outPort, (std::vector<BYTE>{1, 0}));
    EXPECT_EQ(Runtime.IndicatorLit, 0);
    // An invalid code still pulses: the indicator shows that something arrived.
    receiver.codes.push_back({S, 14});
    EXPECT_EQ(ReadInfraCode(), -1);
    EXPECT_EQ(receiver.outPort, (std::vector<BYTE>{1, 0, 1, 0}));
}

TEST_F(ReceiverBindingTest, NoCodeOrFailedReadGivesMinusOneWithoutPulse) {
    RegisterLibrary();
    ASSERT_EQ(BindReceiverLibrary(), 0);
    EXPECT_EQ(ReadInfraCode(), -1); // length 0
    receiver.readResult = 1;
    receiver.codes.push_back({S, S});
    EXPECT_EQ(ReadInfraCode(), -1);
    EXPECT_TRUE(receiver.outPort.empty());
}

TEST_F(ReceiverBindingTest, LengthBeyondTheBufferGivesNoCode) {
    RegisterLibrary();
    ASSERT_EQ(BindReceiverLibrary(), 0);
    for (INT length : {256, 100000, -1}) {
        SCOPED_TRACE(length);
        receiver.reportedLength = length;
        EXPECT_EQ(ReadInfraCode(), -1);
    }
    EXPECT_TRUE(receiver.outPort.empty());
    receiver.reportedLength = 255; // the whole buffer: 255 bytes of zero are invalid
    EXPECT_EQ(ReadInfraCode(), -1);
}

TEST_F(ReceiverBindingTest, InitReceiverPortSetsDirectionAndSwitchesOnAndOff) {
    RegisterLibrary();
    ASSERT_EQ(BindReceiverLibrary(), 0);
    EXPECT_TRUE(InitReceiverPort());
    EXPECT_EQ(receiver.directions, std::vector<BYTE>{1});
    EXPECT_EQ(receiver.outPort, (std::vector<BYTE>{1, 0}));
    EXPECT_EQ(Runtime.IndicatorLit, 0);
}

TEST_F(ReceiverBindingTest, FailingDirectionGivesFalseWithoutPulse) {
    RegisterLibrary();
    ASSERT_EQ(BindReceiverLibrary(), 0);
    receiver.directionResult = 1;
    EXPECT_FALSE(InitReceiverPort());
    EXPECT_TRUE(receiver.outPort.empty());
}

TEST_F(ReceiverBindingTest, WithoutDirectionExportOnlySwitchesOff) {
    RegisterLibrary();
    win32sim::RemoveModuleExport("VarnUSB.dll", "DoSetDataPortDirection");
    ASSERT_EQ(BindReceiverLibrary(), 2);
    EXPECT_TRUE(InitReceiverPort());
    EXPECT_TRUE(receiver.directions.empty());
    EXPECT_EQ(receiver.outPort, std::vector<BYTE>{0});
}

TEST_F(ReceiverBindingTest, IndicatorTickSwitchesOffOnce) {
    RegisterLibrary();
    ASSERT_EQ(BindReceiverLibrary(), 0);
    IndicatorOn();
    EXPECT_EQ(Runtime.IndicatorLit, 1);
    EXPECT_EQ(Runtime.IndicatorCountdown, 1);
    IndicatorTick();
    EXPECT_EQ(Runtime.IndicatorLit, 0);
    IndicatorTick(); // already off: nothing more sent
    EXPECT_EQ(receiver.outPort, (std::vector<BYTE>{1, 0}));
}

TEST_F(ReceiverBindingTest, IndicatorWithoutLibraryOnlyKeepsItsState) {
    IndicatorOn();
    EXPECT_EQ(Runtime.IndicatorLit, 1);
    IndicatorOff();
    EXPECT_EQ(Runtime.IndicatorLit, 0);
    EXPECT_TRUE(receiver.outPort.empty());
}

} // namespace
