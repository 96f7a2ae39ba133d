// A fresh simulated machine and a fresh run-time state for every test of the runtime.
#pragma once

#include "runtime_state.h"
#include "sim_fixture.h"

class RuntimeTest : public SimMachineTest {
protected:
    void SetUp() override {
        SimMachineTest::SetUp();
        ResetRuntimeState();
    }
    void TearDown() override {
        ResetRuntimeState();
        SimMachineTest::TearDown();
    }
};
