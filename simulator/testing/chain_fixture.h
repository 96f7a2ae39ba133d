// The end-to-end fixture: a fresh machine with the whole receiver chain and "VarnUSB.dll"
// loaded; at its end the driver holds no pool.
#pragma once

#include "receiver_chain.h"
#include "sim_fixture.h"

#include <windows.h>

#include <memory>

class ReceiverChainTest : public SimMachineTest {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<chain::ReceiverChain> chain;
    HMODULE module = nullptr;
};
