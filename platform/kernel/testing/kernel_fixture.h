// A fresh simulated kernel for every test; at its end no pool may be left allocated.
#pragma once

#include "kernelsim/kernel.h"

#include <gtest/gtest.h>

#include <string>

class KernelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The outstanding pool blocks, one "tag:size" entry each, for failure messages.
    static std::string DescribeOutstandingPool(ULONG tag = 0);
};
