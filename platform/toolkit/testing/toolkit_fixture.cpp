// A fresh simulated machine and a fresh toolkit for every test.
#include "toolkit_fixture.h"

void ToolkitTest::SetUp() {
    SimMachineTest::SetUp();
    toolkitsim::Reset();
}

void ToolkitTest::TearDown() {
    toolkitsim::Reset();
    SimMachineTest::TearDown();
}
