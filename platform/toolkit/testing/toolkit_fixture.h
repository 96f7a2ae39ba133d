// A fresh simulated machine and a fresh toolkit for every test.
#pragma once

#include "sim_fixture.h"

#include <toolkitsim/control.h>

class ToolkitTest : public SimMachineTest {
protected:
    void SetUp() override;
    void TearDown() override;
};
