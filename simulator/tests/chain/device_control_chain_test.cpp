// The driver's receiver requests as user mode sends them: CreateFileA and DeviceIoControl on
// "\\.\VarnPlugUSB_0" through the I/O manager, the driver and the USB host to the receiver.
#include "kernelsim/kernel.h"
#include "chain_fixture.h"
#include "receiver_ioctl.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class DeviceControlChainTest : public ReceiverChainTest {
protected:
    HANDLE OpenReceiver() {
        return CreateFileA("\\\\.\\VarnPlugUSB_0", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }

    struct Result {
        BOOL ok;
        DWORD bytes;
        DWORD error;
        std::vector<BYTE> out;
    };
    Result Control(DWORD code, std::vector<BYTE> in, DWORD outLength = 8) {
        const HANDLE device = OpenReceiver();
        EXPECT_NE(device, INVALID_HANDLE_VALUE);
        Result r{FALSE, 0xFFFF, 0, std::vector<BYTE>(outLength, 0xEE)};
        SetLastError(0);
        r.ok = DeviceIoControl(device, code, in.empty() ? nullptr : in.data(),
                               static_cast<DWORD>(in.size()), outLength ? r.out.data() : nullptr,
                               outLength, &r.bytes, nullptr);
        r.error = r.ok ? 0 : GetLastError();
        EXPECT_TRUE(CloseHandle(device));
        return r;
    }
};

TEST_F(DeviceControlChainTest, ReceiverCommandCompletesWithTheReceivedByteCount) {
    chain->Receiver().ReceiveRaw(5, 1, {1, 2, 3, 4, 5});
    const UCHAR sequence = chain->Receiver().Sequence();
    auto r = Control(IOCTL_RECEIVER_COMMAND, {rcReadCodeBuffer, 0, 0});
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.bytes, 8u);
    EXPECT_EQ(r.out[0], 5);
    EXPECT_EQ(r.out[1], sequence);
    EXPECT_EQ(r.out[2], 1);
    EXPECT_EQ(r.out[3], 1);

    chain->Receiver().SetShortAnswer(2, 1);
    r = Control(IOCTL_RECEIVER_COMMAND, {rcReadCodeBuffer, 0, 0});
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.bytes, 2u);
}

TEST_F(DeviceControlChainTest, SilentOrStallingReceiverStillCompletesWithSuccess) {
    struct Case {
        const char* name;
        void (receiversim::Receiver::*fault)(int);
    };
    const Case cases[] = {{"no answer", &receiversim::Receiver::SetNoAnswer},
                          {"stall", &receiversim::Receiver::SetStall}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        (chain->Receiver().*c.fault)(1);
        auto r = Control(IOCTL_RECEIVER_COMMAND, {rcGetInPort, 0, 0});
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.bytes, 0u);
    }
}

TEST_F(DeviceControlChainTest, LegacyRequestsAndUnknownCodes) {
    auto r = Control(IOCTL_RECEIVER_LEGACY, {99, 1, 2});
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.bytes, 0u);

    r = Control(IOCTL_RECEIVER_LEGACY, {14, 5, 0});
    EXPECT_TRUE(r.ok);
    ASSERT_EQ(r.bytes, 2u);
    EXPECT_EQ(r.out[0], 0);
    EXPECT_EQ(r.out[1], 5);

    r = Control(0x222100, {0, 0, 0});
    EXPECT_FALSE(r.ok) << "an unknown code is an invalid parameter";
}

TEST_F(DeviceControlChainTest, ShortBuffersAreRefusedAndNothingIsSent) {
    struct Case {
        std::vector<BYTE> in;
        DWORD outLength;
    };
    const Case cases[] = {{{rcGetInPort, 0}, 8}, {{rcGetInPort, 0, 0}, 4}, {{}, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.in.size() << " in, " << c.outLength << " out");
        chain->Receiver().ClearLog();
        for (DWORD code : {DWORD{IOCTL_RECEIVER_COMMAND}, DWORD{IOCTL_RECEIVER_LEGACY}}) {
            auto r = Control(code, c.in, c.outLength);
            EXPECT_FALSE(r.ok);
            EXPECT_NE(r.error, 0u);
        }
        EXPECT_TRUE(chain->Receiver().VendorLog().empty());
    }
}

TEST_F(DeviceControlChainTest, InjectedAllocationFailuresLeaveNoPoolAndNoFalseReply) {
    chain->Receiver().SetInPort(0x24);
    const std::size_t poolBefore = kernelsim::OutstandingPool(kernelsim::PoolTag("Wdm ")).size();
    const HANDLE device = OpenReceiver();
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    bool sawEmptySuccess = false;
    for (unsigned nth = 1; nth <= 4; ++nth) {
        SCOPED_TRACE(nth);
        BYTE in[3] = {rcGetInPort, 0, 0};
        BYTE out[8] = {};
        DWORD bytes = 0xFFFF;
        kernelsim::FailAllocation(nth);
        const BOOL ok =
            DeviceIoControl(device, IOCTL_RECEIVER_COMMAND, in, 3, out, 8, &bytes, nullptr);
        kernelsim::FailAllocation(0);
        if (ok && bytes == 0) {
            sawEmptySuccess = true;
        } else if (ok) {
            EXPECT_EQ(out[0], 0x24) << "a reply that came is the receiver's";
        }
        EXPECT_EQ(kernelsim::OutstandingPool(kernelsim::PoolTag("Wdm ")).size(), poolBefore);
    }
    EXPECT_TRUE(sawEmptySuccess) << "the vendor request's failed block completes with 0 bytes";
    EXPECT_TRUE(CloseHandle(device));
    auto r = Control(IOCTL_RECEIVER_COMMAND, {rcGetInPort, 0, 0});
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.bytes, 8u);
}

TEST_F(DeviceControlChainTest, OpenFailsOnceTheReceiverIsGone) {
    ASSERT_TRUE(chain->Unplug());
    EXPECT_EQ(OpenReceiver(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(kernelsim::SymbolicLinkExists("\\DosDevices\\VarnPlugUSB_0"));
}

} // namespace
