// A fresh simulated machine, toolkit and run-time state for the on-screen window tests.
#pragma once

#include "runtime_state.h"

#include "sim_fixture.h"

#include <toolkitsim/control.h>

#include <gtest/gtest.h>

#include <string>

class OsdFixture : public SimMachineTest {
protected:
    void SetUp() override {
        SimMachineTest::SetUp();
        toolkitsim::Reset();
        toolkitsim::SetScreen(1024, 768);
        ResetRuntimeState();
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
