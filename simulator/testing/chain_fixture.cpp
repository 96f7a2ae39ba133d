// The end-to-end fixture.
#include "chain_fixture.h"

#include "kernelsim/kernel.h"
#include "receiver_library_module.h"

#include <gtest/gtest.h>

void ReceiverChainTest::SetUp() {
    SimMachineTest::SetUp();
    chain = std::make_unique<chain::ReceiverChain>();
    ASSERT_NE(chain->Pdo(), nullptr);
    RegisterReceiverLibraryModule();
    module = LoadLibraryA("VarnUSB.dll");
    ASSERT_NE(module, nullptr);
}

void ReceiverChainTest::TearDown() {
    if (module != nullptr) {
        EXPECT_TRUE(FreeLibrary(module));
    }
    chain.reset();
    EXPECT_TRUE(kernelsim::OutstandingPool(kernelsim::PoolTag("Wdm ")).empty())
        << "the driver left pool allocated";
    kernelsim::ResetKernel();
    SimMachineTest::TearDown();
}
