// The virtual clock and the locale settings.
#include "sim_fixture.h"

#include "win32sim/machine.h"
#include "win32sim/processes.h"

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using ClockTest = SimMachineTest;

TEST_F(ClockTest, SleepAndAdvanceMoveTheTickCount) {
    EXPECT_EQ(GetTickCount(), 0u);
    Sleep(250);
    EXPECT_EQ(GetTickCount(), 250u);
    win32sim::AdvanceClock(20000);
    EXPECT_EQ(GetTickCount(), 20250u);
}

TEST_F(ClockTest, AWatcherSeesEachMoveBeforeAndAfterOnItsOwnThread) {
    win32sim::SimulatedProgram player;
    player.idleAfter = 300;
    player.windows.push_back({"PlayerMain", "Player"});
    win32sim::RegisterProgram("C:\\Apps\\Player.exe", player);
    std::vector<std::string> seen;
    win32sim::WatchClock([&](DWORD at) {
        EXPECT_EQ(at, GetTickCount());
        seen.push_back(std::to_string(at) + (FindWindowA("PlayerMain", nullptr) ? " window" : ""));
    });
    Sleep(100);
    Sleep(0); // no move
    win32sim::WaitForInput(50);
    std::thread([] { Sleep(1000); }).join();
    char line[] = "C:\\Apps\\Player.exe";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(
        CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    EXPECT_EQ(WaitForInputIdle(pi.hProcess, 5000), 0u);
    EXPECT_EQ(seen, (std::vector<std::string>{"0", "100", "100", "150", "1150", "1450 window"}))
        << "another thread's move is not watched; the wait's end is seen with its window";
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);

    win32sim::ResetMachine();
    Sleep(100);
    EXPECT_EQ(seen.size(), 6u) << "a fresh machine has no watcher";
}

TEST_F(ClockTest, TickCountWrapsAt32Bits) {
    win32sim::SetTickCount(0xFFFFFF00u);
    Sleep(0x200);
    EXPECT_EQ(GetTickCount(), 0x100u);
}

TEST_F(ClockTest, LocalTimeFollowsTheClockAcrossMidnight) {
    SYSTEMTIME set{};
    set.wYear = 2024;
    set.wMonth = 2;
    set.wDay = 28;
    set.wHour = 23;
    set.wMinute = 59;
    set.wSecond = 59;
    set.wMilliseconds = 900;
    win32sim::SetLocalTime(set);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    EXPECT_EQ(now.wHour, 23);
    EXPECT_EQ(now.wMilliseconds, 900);
    EXPECT_EQ(now.wDayOfWeek, 3); // a Wednesday

    Sleep(200);
    GetLocalTime(&now);
    EXPECT_EQ(now.wYear, 2024);
    EXPECT_EQ(now.wMonth, 2);
    EXPECT_EQ(now.wDay, 29); // a leap year
    EXPECT_EQ(now.wHour, 0);
    EXPECT_EQ(now.wMinute, 0);
    EXPECT_EQ(now.wSecond, 0);
    EXPECT_EQ(now.wMilliseconds, 100);
    EXPECT_EQ(now.wDayOfWeek, 4);
}

TEST_F(ClockTest, SettingTheTickCountKeepsTheTimeOfDay) {
    SYSTEMTIME before{}, after{};
    Sleep(5000);
    GetLocalTime(&before);
    win32sim::SetTickCount(1000);
    GetLocalTime(&after);
    EXPECT_EQ(before.wSecond, after.wSecond);
    EXPECT_EQ(before.wMinute, after.wMinute);
}

using LocaleTest = SimMachineTest;

TEST_F(LocaleTest, DecimalSeparatorIsSettable) {
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 4), 2);
    EXPECT_STREQ(buffer, ".");
    win32sim::SetDecimalSeparator(',');
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 4), 2);
    EXPECT_STREQ(buffer, ",");
    // Size query and a buffer too small.
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, nullptr, 0), 2);
    SetLastError(0);
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

} // namespace
