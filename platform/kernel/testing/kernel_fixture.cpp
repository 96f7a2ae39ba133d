// The simulated-kernel fixture.
#include "kernel_fixture.h"

void KernelTest::SetUp() {
    kernelsim::ResetKernel();
}

void KernelTest::TearDown() {
    EXPECT_TRUE(kernelsim::OutstandingPool().empty())
        << "pool left allocated: " << DescribeOutstandingPool();
    kernelsim::ResetKernel();
}

std::string KernelTest::DescribeOutstandingPool(ULONG tag) {
    std::string text;
    for (const auto& block : kernelsim::OutstandingPool(tag)) {
        text += kernelsim::PoolTagText(block.tag) + ":" + std::to_string(block.size) + " ";
    }
    return text;
}
