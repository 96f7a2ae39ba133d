// Plug and Play seen from user mode: which receiver the library reaches as receivers come and
// go, a receiver that fails to start, and a stopped one; the USB host also pending every request.
#include "chain_fixture.h"
#include "kernelsim/pnp.h"
#include "varnusb.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class PnpChainTest : public ReceiverChainTest {
protected:
    static HANDLE Open(const std::string& name) {
        return CreateFileA(("\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    static BYTE InPort() {
        BYTE value = 0;
        EXPECT_EQ(DoGetInDataPort(&value), 0);
        return value;
    }
};

TEST_F(PnpChainTest, LibraryReachesTheFirstInstanceAsReceiversComeAndGo) {
    receiversim::Receiver second, third;
    chain->Receiver().SetInPort(0x01);
    second.SetInPort(0x02);
    third.SetInPort(0x03);
    PDEVICE_OBJECT secondPdo = chain->Machine().PlugIn(second);
    ASSERT_NE(secondPdo, nullptr);
    const HANDLE one = Open("VarnPlugUSB_1");
    EXPECT_NE(one, INVALID_HANDLE_VALUE) << "the second receiver is instance 1";
    EXPECT_TRUE(CloseHandle(one));
    EXPECT_EQ(InPort(), 0x01);

    ASSERT_TRUE(chain->Unplug());
    BYTE value = 0;
    EXPECT_EQ(DoGetInDataPort(&value), 1) << "instance 0 is gone";
    PDEVICE_OBJECT thirdPdo = chain->Machine().PlugIn(third);
    ASSERT_NE(thirdPdo, nullptr);
    EXPECT_EQ(InPort(), 0x03) << "the third receiver took instance 0";

    EXPECT_EQ(chain->Machine().Unplug(thirdPdo), STATUS_SUCCESS);
    EXPECT_EQ(chain->Machine().Unplug(secondPdo), STATUS_SUCCESS);
}

TEST_F(PnpChainTest, ReceiverThatFailsToStartCannotBeReached) {
    ASSERT_TRUE(chain->Unplug());
    receiversim::Receiver failing;
    chain->Machine().Host().FailNext(IRP_MJ_PNP, IRP_MN_START_DEVICE, STATUS_DEVICE_NOT_CONNECTED);
    NTSTATUS started = 0;
    PDEVICE_OBJECT pdo = chain->Machine().PlugIn(failing, nullptr, &started);
    EXPECT_EQ(started, STATUS_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(Open("VarnPlugUSB_0"), INVALID_HANDLE_VALUE);
    BYTE value = 0x77;
    EXPECT_EQ(DoGetInDataPort(&value), 1);
    EXPECT_EQ(value, 0x77);
    EXPECT_EQ(chain->Machine().Unplug(pdo), STATUS_SUCCESS);
}

TEST_F(PnpChainTest, StoppedReceiverStillOpens) {
    ASSERT_EQ(kernelsim::StopDevice(chain->Pdo()), STATUS_SUCCESS);
    EXPECT_FALSE(chain->Machine().Host().IsConfigured(chain->Pdo()));
    const HANDLE device = Open("VarnPlugUSB_0");
    EXPECT_NE(device, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(device));
}

TEST_F(PnpChainTest, CodesArriveAlsoWhenTheUsbHostCompletesLater) {
    chain->Machine().Host().SetPendRequests(true);
    chain->Receiver().ReceiveRaw(13, 20, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    BYTE buffer[256];
    int len = 0;
    EXPECT_EQ(DoGetInfraCode(buffer, 255, &len), 0);
    ASSERT_EQ(len, 13);
    EXPECT_EQ(buffer[0], 8);
    EXPECT_EQ(buffer[12], 7);
    chain->Machine().Host().SetPendRequests(false);
}

} // namespace
