// System pieces: version, global memory, code page conversion, privileges and shutdown, sound.
#include "cp1251.h"
#include "sim_fixture.h"
#include "win32sim/multimedia.h"
#include "win32sim/system.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

class SystemTest : public SimMachineTest {
protected:
    void TearDown() override {
        EXPECT_EQ(win32sim::GlobalBlockCount(), 0u) << "global memory left";
        SimMachineTest::TearDown();
    }
};

TEST_F(SystemTest, VersionFollowsTheSetPlatform) {
    const struct {
        DWORD platform;
        DWORD major;
    } cases[] = {{VER_PLATFORM_WIN32_NT, 5}, {VER_PLATFORM_WIN32_WINDOWS, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.platform);
        win32sim::SetPlatformId(c.platform);
        OSVERSIONINFOA v;
        std::memset(&v, 0xCC, sizeof v);
        v.dwOSVersionInfoSize = sizeof v;
        ASSERT_TRUE(GetVersionExA(&v));
        EXPECT_EQ(v.dwPlatformId, c.platform);
        EXPECT_EQ(v.dwMajorVersion, c.major);
        EXPECT_EQ(v.dwOSVersionInfoSize, sizeof v);
        EXPECT_LT(std::strlen(v.szCSDVersion), sizeof v.szCSDVersion);
    }
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v - 1;
    SetLastError(0);
    EXPECT_FALSE(GetVersionExA(&v));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    win32sim::ResetMachine();
    EXPECT_EQ(win32sim::PlatformId(), static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
}

TEST_F(SystemTest, GlobalMemoryLocksAndFrees) {
    const HGLOBAL moveable = GlobalAlloc(GMEM_DDESHARE | GMEM_MOVEABLE | GMEM_ZEROINIT, 32);
    ASSERT_NE(moveable, nullptr);
    auto* p = static_cast<unsigned char*>(GlobalLock(moveable));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[31], 0);
    EXPECT_EQ(GlobalLock(moveable), p);
    EXPECT_TRUE(GlobalUnlock(moveable)); // still locked once
    SetLastError(123);
    EXPECT_FALSE(GlobalUnlock(moveable));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    SetLastError(0);
    EXPECT_FALSE(GlobalUnlock(moveable));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));

    // A fixed block's handle is its address.
    const HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 4);
    EXPECT_EQ(GlobalLock(fixed), fixed);
    EXPECT_EQ(win32sim::GlobalBlockCount(), 2u);

    EXPECT_EQ(GlobalFree(moveable), nullptr);
    EXPECT_EQ(GlobalFree(fixed), nullptr);
    SetLastError(0);
    EXPECT_EQ(GlobalFree(fixed), fixed);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    SetLastError(0);
    EXPECT_EQ(GlobalLock(moveable), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    win32sim::FailGlobalAlloc(true);
    SetLastError(0);
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, 8), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    win32sim::FailGlobalAlloc(false);
}

TEST_F(SystemTest, MultiByteToWideCharFromCodePage1251) {
    constexpr auto kWord = cp1251::Literal("Ёж №1");
    const std::u16string expected = u"Ёж №1";
    const struct {
        UINT codePage;
        int length;
        int result;
    } cases[] = {{CP_ACP, -1, 6}, {1251, -1, 6}, {CP_ACP, 5, 5}, {CP_ACP, 2, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.codePage << " " << c.length);
        WCHAR out[16];
        std::fill(std::begin(out), std::end(out), WCHAR{0xFFFF});
        EXPECT_EQ(MultiByteToWideChar(c.codePage, 0, kWord.c_str(), c.length, nullptr, 0),
                  c.result);
        EXPECT_EQ(MultiByteToWideChar(c.codePage, 0, kWord.c_str(), c.length, out, 16), c.result);
        const int chars = c.length == -1 ? 5 : c.length;
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(out), chars),
                  expected.substr(0, chars));
        EXPECT_EQ(out[c.result], WCHAR{0xFFFF}); // nothing written past the result
        if (c.length == -1) {
            EXPECT_EQ(out[c.result - 1], 0);
        }
    }
    // The undefined byte passes through, or fails when asked to.
    const char undefined[] = "\x98";
    WCHAR one[2] = {0, 0};
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, undefined, 1, one, 2), 1);
    EXPECT_EQ(one[0], 0x98);

    WCHAR small[3];
    const struct {
        const char* label;
        UINT codePage;
        DWORD flags;
        const char* text;
        int length;
        WCHAR* out;
        int size;
        DWORD error;
    } failures[] = {
        {"too small", CP_ACP, 0, "abcd", -1, small, 3, ERROR_INSUFFICIENT_BUFFER},
        {"other code page", 65001, 0, "a", -1, small, 3, ERROR_INVALID_PARAMETER},
        {"unknown flag", CP_ACP, 0x100, "a", -1, small, 3, ERROR_INVALID_FLAGS},
        {"no text", CP_ACP, 0, nullptr, -1, small, 3, ERROR_INVALID_PARAMETER},
        {"no length", CP_ACP, 0, "a", 0, small, 3, ERROR_INVALID_PARAMETER},
        {"negative size", CP_ACP, 0, "a", -1, small, -1, ERROR_INVALID_PARAMETER},
        {"invalid char", CP_ACP, MB_ERR_INVALID_CHARS, undefined, 1, small, 3,
         ERROR_NO_UNICODE_TRANSLATION},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.label);
        SetLastError(0);
        EXPECT_EQ(MultiByteToWideChar(f.codePage, f.flags, f.text, f.length, f.out, f.size), 0);
        EXPECT_EQ(GetLastError(), f.error);
    }
}

TEST_F(SystemTest, ShutdownNeedsThePrivilegeAndIsOnlyRecorded) {
    SetLastError(0);
    EXPECT_FALSE(ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD));

    HANDLE token = nullptr;
    ASSERT_TRUE(
        OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
    TOKEN_PRIVILEGES tp{};
    tp.PrivilegeCount = 1;
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &tp.Privileges[0].Luid));
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    SetLastError(123);
    ASSERT_TRUE(AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(win32sim::ShutdownPrivilegeEnabled());
    EXPECT_TRUE(ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0));

    const auto log = win32sim::ExitWindowsLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].flags, 5u);
    EXPECT_EQ(log[0].result, FALSE);
    EXPECT_EQ(log[1].result, TRUE);

    // The previous state comes back when asked for.
    TOKEN_PRIVILEGES previous{};
    DWORD length = 0;
    ASSERT_TRUE(AdjustTokenPrivileges(token, TRUE, nullptr, sizeof previous, &previous, &length));
    EXPECT_EQ(length, sizeof previous);
    EXPECT_EQ(previous.PrivilegeCount, 1u);
    EXPECT_EQ(previous.Privileges[0].Attributes, static_cast<DWORD>(SE_PRIVILEGE_ENABLED));
    EXPECT_FALSE(win32sim::ShutdownPrivilegeEnabled());
    EXPECT_TRUE(CloseHandle(token));
}

TEST_F(SystemTest, PrivilegeCallsFailCleanly) {
    LUID luid{77, 77};
    const struct {
        const char* system;
        const char* name;
        DWORD error;
    } lookups[] = {{"\\\\other", "SeShutdownPrivilege", RPC_S_SERVER_UNAVAILABLE},
                   {nullptr, "SeNoSuchPrivilege", ERROR_NO_SUCH_PRIVILEGE}};
    for (const auto& l : lookups) {
        SCOPED_TRACE(l.name);
        SetLastError(0);
        EXPECT_FALSE(LookupPrivilegeValueA(l.system, l.name, &luid));
        EXPECT_EQ(GetLastError(), l.error);
        EXPECT_EQ(luid.LowPart, 77u);
    }
    EXPECT_TRUE(LookupPrivilegeValueA("", "seshutdownprivilege", &luid));

    HANDLE token = reinterpret_cast<HANDLE>(0x55);
    SetLastError(0);
    EXPECT_FALSE(OpenProcessToken(reinterpret_cast<HANDLE>(0x1234), TOKEN_QUERY, &token));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(token, reinterpret_cast<HANDLE>(0x55));

    TOKEN_PRIVILEGES tp{1, {{luid, SE_PRIVILEGE_ENABLED}}};
    SetLastError(0);
    EXPECT_FALSE(
        AdjustTokenPrivileges(reinterpret_cast<HANDLE>(0x1234), FALSE, &tp, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    SetLastError(0);
    EXPECT_FALSE(AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(win32sim::ShutdownPrivilegeEnabled());
    EXPECT_TRUE(CloseHandle(token));

    // Logging off needs no privilege; outside the NT family nothing does.
    EXPECT_TRUE(ExitWindowsEx(EWX_LOGOFF, 0));
    win32sim::SetPlatformId(VER_PLATFORM_WIN32_WINDOWS);
    EXPECT_TRUE(ExitWindowsEx(EWX_SHUTDOWN, 0));
}

TEST_F(SystemTest, WaveOutDevicesAndVolume) {
    EXPECT_EQ(waveOutGetNumDevs(), 1u);
    WAVEOUTCAPSA caps;
    std::memset(&caps, 0xCC, sizeof caps);
    EXPECT_EQ(waveOutGetDevCapsA(0, &caps, sizeof caps), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    EXPECT_EQ(caps.dwSupport, static_cast<DWORD>(WAVECAPS_VOLUME | WAVECAPS_LRVOLUME));
    EXPECT_STREQ(caps.szPname, "Speakers");
    EXPECT_EQ(waveOutGetDevCapsA(1, &caps, sizeof caps),
              static_cast<MMRESULT>(MMSYSERR_BADDEVICEID));
    EXPECT_EQ(waveOutGetDevCapsA(0, nullptr, sizeof caps),
              static_cast<MMRESULT>(MMSYSERR_INVALPARAM));

    DWORD volume = 0;
    EXPECT_EQ(waveOutGetVolume(nullptr, &volume), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    EXPECT_EQ(volume, 0xFFFFFFFFu);
    EXPECT_EQ(waveOutSetVolume(nullptr, 0x40008000), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    EXPECT_EQ(win32sim::WaveOutVolume(0), 0x40008000u);

    win32sim::WaveOutDevice mono;
    mono.support = WAVECAPS_VOLUME;
    mono.channels = 1;
    mono.volume = 0x1234;
    win32sim::WaveOutDevice fixed;
    fixed.support = 0;
    win32sim::SetWaveOutDevices({mono, fixed});
    EXPECT_EQ(waveOutGetNumDevs(), 2u);
    EXPECT_EQ(waveOutSetVolume(nullptr, 0xAAAA5555), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    EXPECT_EQ(waveOutGetVolume(nullptr, &volume), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    EXPECT_EQ(volume, 0x5555u); // the low word only
    const HWAVEOUT second = reinterpret_cast<HWAVEOUT>(1);
    EXPECT_EQ(waveOutGetVolume(second, &volume), static_cast<MMRESULT>(MMSYSERR_NOTSUPPORTED));
    EXPECT_EQ(waveOutSetVolume(second, 0), static_cast<MMRESULT>(MMSYSERR_NOTSUPPORTED));
    EXPECT_EQ(waveOutGetVolume(reinterpret_cast<HWAVEOUT>(2), &volume),
              static_cast<MMRESULT>(MMSYSERR_BADDEVICEID));
    EXPECT_EQ(waveOutGetVolume(nullptr, nullptr), static_cast<MMRESULT>(MMSYSERR_INVALPARAM));

    win32sim::SetWaveOutDevices({});
    EXPECT_EQ(waveOutGetNumDevs(), 0u);
    EXPECT_EQ(waveOutGetDevCapsA(0, &caps, sizeof caps),
              static_cast<MMRESULT>(MMSYSERR_BADDEVICEID));
}

TEST_F(SystemTest, SoundsAreRecorded) {
    PutFile(Prog("Data\\alarm.wav"), "RIFF");
    const std::string alarm = Prog("data\\ALARM.wav");
    const std::string missing = Prog("Data\\none.wav");
    const struct {
        const char* label;
        const char* sound;
        DWORD flags;
        BOOL result;
    } cases[] = {
        {"file", alarm.c_str(), SND_ASYNC | SND_FILENAME, TRUE},
        {"file without flag", alarm.c_str(), SND_ASYNC, TRUE},
        {"missing plays the default", missing.c_str(), SND_ASYNC, TRUE},
        {"missing, no default", missing.c_str(), SND_ASYNC | SND_NODEFAULT, FALSE},
        {"stop", nullptr, SND_PURGE, TRUE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(PlaySoundA(c.sound, nullptr, c.flags), c.result);
        const auto last = win32sim::SoundLog().back();
        EXPECT_EQ(last.hasSound, c.sound != nullptr);
        EXPECT_EQ(last.sound, c.sound ? c.sound : "");
        EXPECT_EQ(last.flags, c.flags);
        EXPECT_EQ(last.result, c.result);
    }
    EXPECT_EQ(win32sim::SoundLog().size(), std::size(cases));
    win32sim::SetWaveOutDevices({});
    EXPECT_FALSE(PlaySoundA(alarm.c_str(), nullptr, SND_ASYNC | SND_FILENAME));
}

} // namespace
