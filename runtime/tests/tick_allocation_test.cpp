// Tests that the 100 ms tick running a cached binding allocates no memory.
#include "allocation_hooks.h"
#include "main_form.h"
#include "osd_fixture.h"
#include "receiver_binding.h"
#include "tick_rig.h"

#include <win32sim/desktop.h>

#include <toolkit.h>

#include <gtest/gtest.h>

#include <cstddef>

namespace {

BOOL CALLBACK CountWindow(HWND, LPARAM) {
    return TRUE;
}

class TickAllocationTest : public OsdFixture {
protected:
    void SetUp() override {
        OsdFixture::SetUp();
        tick_rig::RegisterFakeReceiver();
        ASSERT_TRUE(tick_rig::WriteProgramFiles(2));
        Application->CreateForm(FMain);
        ASSERT_NE(FMain, nullptr);
        FMain->tmrMainTimer(nullptr); // the first tick hides the form
    }
    void TearDown() override {
        toolkitsim::Reset();
        UnbindReceiverLibrary();
        OsdFixture::TearDown();
    }

    static void Tick(int button) {
        tick_rig::QueueCode(tick_rig::CodeOf(button));
        FMain->tmrMainTimer(nullptr);
    }

    // The simulator logs every synthesised key in a growing list: makes it grow now, with room
    // left for far more than a command's keys, so that its growth is not counted as the tick's.
    static void GrowInputLog() {
        std::size_t size = win32sim::InputLog().size();
        for (;;) {
            const std::size_t counted = allocation_hooks::Count();
            keybd_event(VK_F4, 0, KEYEVENTF_KEYUP, 0);
            ++size;
            if (allocation_hooks::Count() != counted && size >= 64)
                return;
        }
    }
};

TEST_F(TickAllocationTest, ATickRunningACachedBindingAllocatesNothing) {
    Tick(0); // loads the binding and its command into the caches
    Tick(1);
    ASSERT_EQ(Runtime.FuncCache[0].CmdSlot, 0);
    ASSERT_EQ(Runtime.FuncCache[1].CmdSlot, tick_rig::kStepsPerCommand);
    GrowInputLog();
    const std::size_t keysBefore = win32sim::InputLog().size();

    // The simulated EnumWindows copies the window list before it calls back (the real one
    // does its work in the system): the tick may allocate that often, and not once more.
    std::size_t before = allocation_hooks::Count();
    EnumWindows(CountWindow, 0);
    const std::size_t enumeration = allocation_hooks::Count() - before;

    before = allocation_hooks::Count();
    Tick(0);
    const std::size_t allocations = allocation_hooks::Count() - before;

    EXPECT_EQ(allocations, enumeration) << "the runtime allocated on the tick";
    const auto log = win32sim::InputLog();
    ASSERT_EQ(log.size(), keysBefore + tick_rig::kStepsPerCommand) << "the command ran";
    EXPECT_EQ(log[keysBefore].vk, 'A');
    EXPECT_EQ(log.back().vk, 'C');
    EXPECT_EQ(Runtime.CmdCache[0].Hits, 2);
}

} // namespace
