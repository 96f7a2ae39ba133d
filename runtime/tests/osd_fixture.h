// A fresh simulated machine, toolkit and run-time state for the on-screen window tests.
#pragma once

#include "runtime_state.h"

#include "sim_fixture.h"
#include "test_dialogs.h"

#include <toolkitsim/control.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

// A bitmap file of width x 1 pixels, 24 bits: the width tells pictures apart.
inline std::string BitmapFile(int width) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const std::uint32_t dataSize = static_cast<std::uint32_t>(rowBytes);
    const std::uint32_t fileSize = 14 + 40 + dataSize;
    std::string b;
    auto u16 = [&](std::uint32_t v) {
        b.push_back(static_cast<char>(v & 0xFF));
        b.push_back(static_cast<char>((v >> 8) & 0xFF));
    };
    auto u32 = [&](std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    b += "BM";
    u32(fileSize);
    u32(0);
    u32(54);
    u32(40);
    u32(static_cast<std::uint32_t>(width));
    u32(1);
    u16(1);
    u16(24);
    u32(0);
    u32(dataSize);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    b.append(dataSize, '\x7F');
    return b;
}

class OsdFixture : public SimMachineTest {
protected:
    void SetUp() override {
        SimMachineTest::SetUp();
        toolkitsim::Reset();
        toolkitsim::SetScreen(1024, 768);
        ResetRuntimeState();
        RegisterTestDialogs();
    }
    void TearDown() override {
        // Frees every window while the machine still stands.
        toolkitsim::Reset();
        ResetRuntimeState();
        SimMachineTest::TearDown();
    }

    // The window manager's regular tick, n times.
    static void Ticks(int n) {
        for (int i = 0; i < n; ++i)
            OsdTick(nullptr);
    }

    // A key of config.ini as the file holds it; "<none>" when absent.
    static std::string ConfigValue(const std::string& section, const std::string& key) {
        char buffer[256];
        GetPrivateProfileStringA(section.c_str(), key.c_str(), "<none>", buffer, sizeof(buffer),
                                 Prog("config.ini").c_str());
        return buffer;
    }
};
