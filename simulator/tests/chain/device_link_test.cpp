// The line protocol that serves devices to a second process: a request over the link reaches
// the receiver like a local one, and lines it cannot read are refused without touching a device.
#include "chain_fixture.h"
#include "device_link.h"
#include "receiver_ioctl.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

class DeviceLinkTest : public ReceiverChainTest {};

TEST_F(DeviceLinkTest, RequestOverTheLinkReachesTheReceiver) {
    chain->Receiver().SetInPort(0x5A);
    chain::DeviceLinkServer server(chain->Provider());
    const std::string opened = server.Answer("dev open VarnPlugUSB_0");
    ASSERT_EQ(opened.rfind("ok ", 0), 0u) << opened;
    const std::string id = opened.substr(3);
    const std::string reply = server.Answer("dev ctl " + id + " 8 070000 8 eeeeeeeeeeeeeeee");
    EXPECT_EQ(reply.substr(0, 11), "ok 1 8 0 5a") << reply; // result, bytes, error, reply byte 0
    EXPECT_EQ(reply.size(), 9u + 16u);
    EXPECT_EQ(server.OpenFiles(), 1u);
    EXPECT_EQ(server.Answer("dev close " + id), "ok 0");
    EXPECT_EQ(server.OpenFiles(), 0u);
    EXPECT_EQ(server.Answer("dev open VarnPlugUSB_5"), "err 2") << "no such device";
}

TEST_F(DeviceLinkTest, LinesItCannotReadAreRefused) {
    chain::DeviceLinkServer server(chain->Provider());
    const std::string id = server.Answer("dev open VarnPlugUSB_0").substr(3);
    chain->Receiver().ClearLog();
    const std::string lines[] = {
        "",
        "dev",
        "dev jump 1",
        "dev open",
        "dev close 99",
        "dev ctl 99 8 070000 8 0000000000000000",
        "dev ctl " + id + " 8 07000 8 0000000000000000",
        "dev ctl " + id + " 8 0700zz 8 0000000000000000",
        "dev ctl " + id + " 8 070000 9 0000000000000000",
        "dev ctl " + id + " 8 070000 8",
    };
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        EXPECT_EQ(server.Answer(line), "err 87");
    }
    EXPECT_TRUE(chain->Receiver().VendorLog().empty());
    EXPECT_EQ(server.OpenFiles(), 1u) << "closed when the server ends";
}

TEST_F(DeviceLinkTest, LinkedProviderAsksOverItsStreams) {
    // The answers the other side would give, read in turn.
    std::istringstream answers("ok 4\nok 1 2 0 3100000000000000\nok 0\nerr 2\n");
    std::ostringstream requests;
    chain::LinkedDeviceProvider provider(answers, requests);
    DWORD error = 0;
    auto file = provider.Open("VarnPlugUSB_0", &error);
    ASSERT_NE(file, nullptr);
    BYTE in[3] = {rcGetInPort, 0, 0};
    BYTE out[8] = {};
    DWORD bytes = 0;
    EXPECT_TRUE(file->Control(IOCTL_RECEIVER_COMMAND, in, 3, out, 8, &bytes, &error));
    EXPECT_EQ(bytes, 2u);
    EXPECT_EQ(out[0], 0x31);
    file->Close();
    EXPECT_EQ(provider.Open("VarnPlugUSB_1", &error), nullptr);
    EXPECT_EQ(error, 2u);
    EXPECT_EQ(requests.str(), "dev open VarnPlugUSB_0\n"
                              "dev ctl 4 8 070000 8 0000000000000000\n"
                              "dev close 4\n"
                              "dev open VarnPlugUSB_1\n");
    // A link that ended refuses instead of waiting.
    EXPECT_EQ(provider.Open("VarnPlugUSB_0", &error), nullptr);
    EXPECT_EQ(error, 31u);
}

} // namespace
